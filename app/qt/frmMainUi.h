#pragma once

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QWidget;

namespace plexifold {

// The controls of the main window, placed from the window's table of controls.
struct frmMainUi {
    QPushButton* cmdBrowse = nullptr;
    QLineEdit* txtPath = nullptr;
    QPushButton* cmdConvert = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* lblProgress = nullptr;

    /// Creates the controls on `form`, in their initial states and tab order.
    void setupUi(QWidget* form);
};

} // namespace plexifold
