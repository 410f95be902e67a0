#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

// The design document the wizard saves: five captioned sections and a creation date, in the Chinese code page
// with CR LF, no byte-order mark and no line break at the end.
namespace DesignDocument {

// The captions of the wizard's pages in order; the first five head the document's sections.
QStringList pageCaptions();

// `texts` holds the texts of the first five pages (missing ones count as empty).
QByteArray bytes(const QStringList& texts, const QDate& created);

// Replaces the file at `path` only with a complete document.
bool write(const QString& path, const QStringList& texts, const QDate& created);

} // namespace DesignDocument
