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

// Whether the form holds a result (a paleointensity other than 0); without
// one, Save results appends the line of zeros with an empty class.
inline bool HasResult(const FormValues& held) { return held.result.paleointensity != 0.0; }

// Whether the file at `path` is a specimen data file (its first line is the
// data file's "Korvanes-kvd" line).
bool IsDataFile(const QString& path);

// Appends the form's result to the results file at `path`: a new file gets
// the header line first; a file whose first line is not such a header is
// refused and left untouched.
AppendStatus SaveResults(const FormValues& held, const QString& path);

}  // namespace korvanes::gui
