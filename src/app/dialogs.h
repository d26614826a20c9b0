// Every modal box and dialog the editor shows goes through TDialogs, so that tests can install a
// scripted set that answers without a user and records what was shown.
#pragma once

#include <QString>
#include <memory>
#include <optional>

enum class TPromptAnswer { Yes, No, Cancel };

class TDialogs {
public:
    virtual ~TDialogs() = default;
    // A "警告" box with an OK button.
    virtual void Warning(const QString& text) = 0;
    // The error box of a command that raised an exception.
    virtual void Error(const QString& text) = 0;
    // A "確認" box with Yes, No and Cancel; dismissing it counts as Cancel.
    virtual TPromptAnswer Confirm(const QString& text) = 0;
    // The chosen path, or nothing when the user cancelled. filter is in Qt's "Name (*.x)" form.
    virtual std::optional<QString> OpenFileName(const QString& filter) = 0;
    // As OpenFileName; the dialog appends defaultSuffix to a name typed without one and asks
    // before an existing file is overwritten.
    virtual std::optional<QString> SaveFileName(const QString& filter,
                                                const QString& defaultSuffix) = 0;
    // Shows the new-image dialog modally; returns when it is closed.
    virtual void RunNewForm() = 0;
};

// The installed dialogs; the Qt ones unless a test installed others.
TDialogs& Dialogs();
void SetDialogs(std::unique_ptr<TDialogs> dialogs);

// The dialogs shown to a user.
class TQtDialogs : public TDialogs {
public:
    void Warning(const QString& text) override;
    void Error(const QString& text) override;
    TPromptAnswer Confirm(const QString& text) override;
    std::optional<QString> OpenFileName(const QString& filter) override;
    std::optional<QString> SaveFileName(const QString& filter,
                                        const QString& defaultSuffix) override;
    void RunNewForm() override;
};
