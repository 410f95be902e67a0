#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

// The design document the wizard saves: a captioned section for each page and a creation date, in the Chinese
// code page with CR LF, no byte-order mark and no line break at the end.
namespace DesignDocument {

// The captions of the wizard's pages in order; each heads its section of the document.
QStringList pageCaptions();

// `texts` holds the texts of the pages in order (missing ones count as empty).
QByteArray bytes(const QStringList& texts, const QDate& created);

// Replaces the file at `path` only with a complete document.
bool write(const QString& path, const QStringList& texts, const QDate& created);

} // namespace DesignDocument
