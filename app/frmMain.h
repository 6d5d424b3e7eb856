#pragma once

#include <QWidget>

#include "BatchReport.h"
#include "Prompts.h"
#include "frmMainUi.h"

namespace plexifold {

class BatchRun;
struct BatchProgress;

// The program's one window: the folder of TIFF files to split, "..." to choose
// another, "&Execute" to split them all, and the progress of the run.
class frmMain : public QWidget {
    Q_OBJECT

public:
    /// Creates the window and loads it (caption, stored folder, file list), still hidden.
    explicit frmMain(Prompts prompts = Prompts::standard(), QWidget* parent = nullptr);
    ~frmMain() override;

    /// The hidden list of the folder's image files.
    const FileList& File1() const { return m_ui.File1; }

    /// Enables "&Execute" exactly when the file list holds names.
    void txtPath_Change();
    /// Enables or disables "&Execute", the folder box and "..." together.
    void SetInputsEnabled(bool enabled);
    /// Points the file list at the folder in the folder box, then shows that folder,
    /// or, when it holds no image file and `showWarning` is set, warns and shows the prompt.
    void RefreshFileList(bool showWarning);
    /// "...": lets the user choose the folder.
    void cmdBrowse_Click();
    /// "&Execute": splits every listed file on a worker thread.
    void cmdConvert_Click();

protected:
    /// Closing during a run stops it after the page in work; nothing is stored.
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void Form_Load();
    void centreOnScreen();
    void centreFrameOnce();
    void showProgress(const BatchProgress& progress);
    void endRun(const BatchReport& report);

    frmMainUi m_ui;
    Prompts m_prompts;
    BatchRun* m_batch = nullptr;
    bool m_frameCentred = false;
};

} // namespace plexifold
