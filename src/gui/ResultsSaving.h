#pragma once
// "Save results": the result the form holds, appended as one line to a
// results table of the user's choice.

#include <QString>

#include "ResultForm.h"
#include "results/ResultsTable.h"

namespace korvanes::gui {

// The line's values from what the form holds (not from the document: text
// typed into an input since the last action is not taken).
ResultValues FormResultValues(const FormValues& held);

// Appends the form's result to the results file at `path`: a new file gets
// the header line first; a file whose first line is not such a header is
// refused and left untouched.
AppendStatus SaveResults(const FormValues& held, const QString& path);

}  // namespace korvanes::gui
