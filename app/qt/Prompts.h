#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace plexifold {

/// A modal message box over `owner`, titled "Plexifold", with a single OK button.
void ShowMessage(QWidget* owner, QMessageBox::Icon icon, const QString& text);

// The modal questions the window asks. Tests replace them to answer without a user.
struct Prompts {
    /// Returns the chosen folder in the system's bytes, or "" when the user cancels.
    std::function<QByteArray(QWidget* owner, const QString& prompt)> browseForFolder;
    /// Returns when the user has closed the message.
    std::function<void(QWidget* owner, QMessageBox::Icon icon, const QString& text)> showMessage;

    /// The real folder dialog and message box.
    static Prompts standard();
};

} // namespace plexifold
