#pragma once

#include <string>

#include "BatchRun.h"
#include "FileList.h"
#include "WindowView.h"

namespace plexifold::app {

// What the program's one window does, whatever toolkit draws it: the folder of TIFF
// files to split, "..." to choose another, "&Execute" to split them all, and the
// progress of the run. The window forwards its events here and shows what it is told.
class frmMainRules {
public:
    explicit frmMainRules(WindowView& view);

    /// The hidden list of the folder's image files.
    const FileList& File1() const { return m_File1; }

    /// Caption, stored folder, file list; run once before the window is first shown.
    void Form_Load();
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
    /// The window closes: a run stops after the page in work (a huge page is given up at
    /// once), shows no box, stores nothing.
    void close();

    bool isRunning() const { return m_batch.isRunning(); }

    static constexpr const char* kCaption = "Plexifold";
    static constexpr const char* kPrompt = "Select a folder with '.TIF' files";
    static constexpr const char* kNoFilesWarning = "This folder does not contain '.TIF' files";

private:
    void endRun(const BatchReport& report);

    WindowView& m_view;
    FileList m_File1;
    BatchRun m_batch;
};

} // namespace plexifold::app
