#pragma once

class QDialog;
class QDialogButtonBox;

// "&OK", "&Cancel" and "&Help" for dialog: OK is the default and accepts,
// Cancel rejects; the caller connects helpRequested.
QDialogButtonBox *OkCancelHelpButtons(QDialog &dialog);
