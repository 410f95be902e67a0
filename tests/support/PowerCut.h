#pragma once

// A power cut for SQLite. While a PowerCut lives it is SQLite's default file layer: it passes everything to
// the real one and counts the writes that change the disk (file writes, truncations, syncs, deletions).
// With a budget, the writes after the first `budget` ones silently never reach the disk, as if the power had
// gone at that moment while the program went on believing them done; or, failing, they are refused with an
// I/O error, as a disk that breaks down. Dropped, it puts the real layer back.
class PowerCut
{
public:
    static constexpr int kNoCut = -1;
    enum class After { Silence, Errors };

    explicit PowerCut(int budget = kNoCut, After after = After::Silence);
    ~PowerCut();
    PowerCut(const PowerCut&) = delete;
    PowerCut& operator=(const PowerCut&) = delete;

    // Writes asked for so far, counting the dropped ones.
    int writes() const;
    // Whether the power went: some write was dropped.
    bool cut() const;
};
