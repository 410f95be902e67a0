#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

// Writes the records of a ZIP file around data that is already deflated (or stored): local headers, the central
// directory with Unix modes and Info-ZIP timestamps, and ZIP64 records where sizes, offsets or the entry count
// need them. Packing deflates on several threads and decides per entry whether deflating paid, so the data comes
// ready and this only has to frame it in order.
class ZipWriter
{
public:
    static constexpr quint16 kStored = 0;
    static constexpr quint16 kDeflated = 8;

    struct Entry
    {
        QByteArray name; // "/" separators; a folder's ends with "/"
        quint16 method = kStored;
        quint32 externalAttributes = 0;
        qint64 modified = 0; // seconds since the epoch
        quint64 size = 0;    // uncompressed
        bool utf8 = true;    // the name is UTF-8; otherwise the file system's bytes, which are not
    };

    explicit ZipWriter(const QString& path);

    bool open();

    // An entry whose data is at hand whole (a small file, a link, a folder with no data).
    bool writeEntry(const Entry& entry, quint32 crc, const QByteArray& data);

    // Starts an entry whose data follows through writeData(). Its CRC and compressed size are filled in by
    // finishEntry(), so a large file can be streamed without knowing them.
    bool beginEntry(const Entry& entry);
    bool writeData(const QByteArray& data);
    bool finishEntry(quint32 crc);

    // The central directory and end records; the file is complete (not yet synced) once this returns true.
    bool finish();

private:
    struct Record
    {
        Entry entry;
        quint32 crc = 0;
        quint64 compressedSize = 0;
        quint64 offset = 0;
        bool zip64Local = false;
    };

    QByteArray localHeader(const Record& record) const;
    QByteArray centralHeader(const Record& record) const;
    bool patchLocalHeader(const Record& record);

    QFile m_file;
    QList<Record> m_records;
    quint64 m_position = 0;
    quint64 m_dataStart = 0;
};
