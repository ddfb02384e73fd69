#pragma once

#include <QFileDialog>
#include <QString>

// The client's file choosers and save dialogs are Qt's own dialog, so that every text on them is
// the client's: its labels, its buttons, its columns and the texts Qt draws itself.
namespace KVFileDialog {

// A new dialog, not yet shown, opening or saving, with the client's texts.
[[nodiscard]] QFileDialog *make(QWidget *parent, const QString &title, QFileDialog::AcceptMode mode);

} // namespace KVFileDialog
