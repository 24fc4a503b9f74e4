#pragma once

#include <QString>

namespace orvik {

class AppPaths;

// Prints the channel-table page of a data file to a PDF file; no window is created. Messages go
// to stderr as "orvik: CAPTION: TEXT".
// Returns a process exit status (0 on success).
int PrintDataFileToPdf(const AppPaths& paths, const QString& dataFile, const QString& pdfFile);

} // namespace orvik
