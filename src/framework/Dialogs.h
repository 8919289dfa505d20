#pragma once
// The open and save dialogs. Execute first offers the request to the display backend (the
// test backend answers from its script); when the backend leaves it to the program, the
// framework's own modal file dialog form asks the user. Either way the chosen name gets the
// same completion (default extension) and checks (file must exist, overwrite prompt).
#include "rtl/Component.h"
#include "rtl/Set.h"

#include <vector>

enum TOpenOption {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofShowHelp,
    ofNoValidate,
    ofAllowMultiSelect,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofNoNetworkButton,
    ofNoLongNames,
    ofOldStyleDialog,
    ofNoDereferenceLinks,
    ofEnableIncludeNotify,
    ofEnableSizing,
    ofDontAddToRecent,
    ofForceShowHidden
};
using TOpenOptions = TSet<TOpenOption>;

// One entry of a dialog filter: "Pictures|*.bmp;*.gif" gives the description "Pictures" and
// the patterns "*.bmp" and "*.gif".
struct TFilterEntry {
    String Description;
    std::vector<String> Patterns;
};

// Splits "text|patterns|text|patterns...". Patterns are separated by ";" and blanks around
// them and empty ones are dropped; a description without patterns matches every file.
std::vector<TFilterEntry> ParseDialogFilter(const String& filter);
// Splits a ";"-separated list of patterns the same way.
std::vector<String> SplitPatterns(const String& patterns);
// Whether a name matches one of the patterns (no patterns: every name).
bool MatchesAnyPattern(const String& name, const std::vector<String>& patterns);
// Whether a typed name is a pattern ("*" or "?" in it) rather than a file name.
bool HasWildcards(const String& name);

class TCommonDialog : public TComponent {
    KORVID_CLASS(TCommonDialog, TComponent)

    const String& Title() const { return title_; }
    void SetTitle(const String& v) { title_ = v; }
    virtual bool Execute() = 0;

    // Around the dialog being shown (and around a backend's answer).
    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

protected:
    TCommonDialog() = default;

private:
    String title_;
};

class TOpenDialog : public TCommonDialog {
    KORVID_CLASS(TOpenDialog, TCommonDialog)

    const String& FileName() const { return fileName_; }
    void SetFileName(const String& v) { fileName_ = v; }
    // Every chosen file; FileName is the first.
    const std::vector<String>& Files() const { return files_; }
    const String& Filter() const { return filter_; }
    void SetFilter(const String& v) { filter_ = v; }
    // 1-based, as the filter lists its entries.
    int FilterIndex() const { return filterIndex_; }
    void SetFilterIndex(int v) { filterIndex_ = v; }
    // Added to a chosen name without extension; leading "*" and "." are ignored ("*.gif"
    // and "gif" both give ".gif").
    const String& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const String& v) { defaultExt_ = v; }
    const String& InitialDir() const { return initialDir_; }
    void SetInitialDir(const String& v) { initialDir_ = v; }
    TOpenOptions Options() const { return options_; }
    void SetOptions(TOpenOptions v) { options_ = v; }

    // Shows the dialog; true when the user chose a file (FileName, Files and FilterIndex
    // then hold the choice), false when cancelled (they stay as they were).
    bool Execute() override;

    // --- what the dialog form and the backend path share ---
    // "open" or "save".
    virtual const char* Kind() const { return "open"; }
    // The caption the dialog shows: Title, else "Open" or "Save As".
    virtual String DefaultTitle() const { return "Open"; }
    // The folder the dialog starts in: InitialDir, else FileName's folder, else the current
    // one (each only when it exists).
    String StartFolder() const;
    // The full name a typed text stands for in folder dir, with the default extension added
    // (the filter entry's own extension first when it names one).
    String CompleteName(const String& typed, const String& dir, int filterIndex) const;
    // Checks a chosen name, telling the user what is wrong; false: the dialog stays open.
    virtual bool AcceptChoice(const String& path);

private:
    String fileName_;
    std::vector<String> files_;
    String filter_;
    int filterIndex_ = 1;
    String defaultExt_;
    String initialDir_;
    TOpenOptions options_{ofHideReadOnly, ofEnableSizing};
};

class TSaveDialog : public TOpenDialog {
    KORVID_CLASS(TSaveDialog, TOpenDialog)

    const char* Kind() const override { return "save"; }
    String DefaultTitle() const override { return "Save As"; }
    bool AcceptChoice(const String& path) override;
};
