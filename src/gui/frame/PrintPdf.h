#pragma once

#include <QString>

#include <string>

namespace orvik {

// Prints the channel-table page of a data file to a PDF file without showing a window.
// Returns a process exit status (0 on success).
int PrintDataFileToPdf(const std::string& appDirectory, const QString& dataFile,
                       const QString& pdfFile);

} // namespace orvik
