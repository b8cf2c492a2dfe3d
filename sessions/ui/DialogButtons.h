#pragma once

class QDialog;
class QDialogButtonBox;

// "&OK" (default, object name "ok") and "&Cancel" ("cancel") that accept and
// reject the dialog: Alt+O and Alt+C answer them.
QDialogButtonBox *okCancelButtons(QDialog *dialog);
