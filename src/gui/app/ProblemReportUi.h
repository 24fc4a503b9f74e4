#pragma once
// Help > Save a Problem Report and the transfer dialog's button of the same name: asks for a
// file name, writes the report (with the last transfer's trace and a fresh connection check)
// and tells the user which file to send.

#include <QString>

class QWidget;

namespace orvik {

class COrvikApp;

// Returns the file written, or an empty string when cancelled or not written (then the user
// has been told why).
QString SaveProblemReport(COrvikApp& app, QWidget* owner);

} // namespace orvik
