#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

namespace workbook::xlsx {

// Builds a new zip package from `original`: untouched entries are copied with their compressed
// bytes unchanged, `replaced` parts (keys match entry names without case, a leading '/' ignored;
// unknown names are added at the end) are deflated at a fast level, `removed` parts are left out.
// Raises data::Error (a refused write) for a package it cannot copy safely.
QByteArray rewriteZip(const QByteArray& original, const QHash<QString, QByteArray>& replaced,
                      const QStringList& removed);

} // namespace workbook::xlsx
