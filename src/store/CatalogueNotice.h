#pragma once

#include <QObject>

// The one way the windows learn that the catalogue changed behind them. The tables announce every write they
// commit, so no command can forget to; the windows observe and fill their lists again. A command that writes
// many records holds the notices back until it ends, so a list is filled once per command, not once per record.
class CatalogueNotice : public QObject
{
    Q_OBJECT

public:
    enum class Part {
        Projects, // the project table and what its list shows beside it (types, packages)
        Tools,    // the launcher list
    };

    static CatalogueNotice& instance();

    // Told now, or when the outermost Hold ends.
    static void announce(Part part);

    // While one lives, announcements wait; the last to end tells each part that changed once.
    class Hold
    {
    public:
        Hold();
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
    };

Q_SIGNALS:
    void projectsChanged();
    void toolsChanged();

private:
    CatalogueNotice() = default;
    void tell(Part part);

    int m_holds = 0;
    bool m_projectsPending = false;
    bool m_toolsPending = false;
};
