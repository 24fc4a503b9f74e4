#pragma once
// The messages about a data file just loaded, as opening a file shows them; also said by
// printing a file from the command line and by the compare.

#include "core/model/DataFile.h"

#include <QString>

#include <cstddef>
#include <string>

class QWidget;

namespace orvik {

class LangCatalog;

// Says why a data file was not taken: it could not be read (with the system's `error`) or is no
// data file of ours. False, with nothing said, for a file that loaded.
bool ReportDataFileRejected(QWidget* owner, LangCatalog& catalog, const QString& path,
                            LoadStatus status, const std::string& error);

// Warns once that a loaded file held fewer bytes than a whole data file (the rest was filled
// with 0xFF); nothing for a complete file.
void ReportShortDataFile(QWidget* owner, LangCatalog& catalog, const QString& path,
                         std::size_t bytesRead);

} // namespace orvik
