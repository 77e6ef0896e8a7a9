#pragma once
// What a screen reader is told of a line field: its text as one run, so that the reader, which
// splits a line by the runs of its attributes, says the whole value ("modeloMat.mdl") and not
// one letter short, as it does with Qt's own account of a field. Fields that hide what is typed
// (passwords) and those inside spin and combo boxes keep Qt's account.

// Has every line field made from now on reported that way. Call before the first window.
void ReportFieldsWhole();
