// A fixture that starts the editor's five windows as start-up does, with scripted dialogs, and
// tears them down again, so every test begins from the start-up state.
#pragma once

#include "app/dialogs.h"
#include "app/main.h"
#include "app/new.h"
#include "app/startup.h"
#include "app/state.h"
#include "helpers.h"

#include <QApplication>
#include <QLineEdit>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// Answers every dialog from queues the test fills and records every text shown. A dialog the
// test did not expect fails the test and is treated as cancelled.
class TScriptedDialogs : public TDialogs {
public:
    std::vector<QString> Warnings, Errors, Prompts;
    std::deque<TPromptAnswer> Answers;
    // A null QString stands for the user cancelling the dialog.
    std::deque<QString> OpenNames, SaveNames;
    std::vector<QString> OpenFilters, SaveFilters, SaveSuffixes;
    std::function<void()> OnNewForm;

    void Warning(const QString& text) override { Warnings.push_back(text); }
    void Error(const QString& text) override { Errors.push_back(text); }
    TPromptAnswer Confirm(const QString& text) override {
        Prompts.push_back(text);
        if (Answers.empty()) {
            ADD_FAILURE() << "unexpected prompt: " << text.toStdString();
            return TPromptAnswer::Cancel;
        }
        const TPromptAnswer answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    std::optional<QString> OpenFileName(const QString& filter) override {
        OpenFilters.push_back(filter);
        return Next(OpenNames, "open");
    }
    std::optional<QString> SaveFileName(const QString& filter,
                                        const QString& defaultSuffix) override {
        SaveFilters.push_back(filter);
        SaveSuffixes.push_back(defaultSuffix);
        return Next(SaveNames, "save");
    }
    void RunNewForm() override {
        if (OnNewForm)
            OnNewForm();
        else
            ADD_FAILURE() << "unexpected new-image dialog";
    }

private:
    static std::optional<QString> Next(std::deque<QString>& names, const char* which) {
        if (names.empty()) {
            ADD_FAILURE() << "unexpected " << which << " dialog";
            return std::nullopt;
        }
        const QString name = names.front();
        names.pop_front();
        if (name.isNull()) return std::nullopt;
        return name;
    }
};

class EditorTest : public testing::Test {
protected:
    void SetUp() override {
        QApplication::setQuitOnLastWindowClosed(false);
        auto scripted = std::make_unique<TScriptedDialogs>();
        dialogs = scripted.get();
        SetDialogs(std::move(scripted));
        ResetEditorState();
        CreateWindows();
    }
    void TearDown() override {
        DestroyWindows();
        ResetEditorState();
        SetDialogs(std::make_unique<TQtDialogs>());
    }

    // Runs New through the dialog with the given field texts.
    void NewDocument(const QString& width, const QString& height) {
        dialogs->OnNewForm = [&] {
            NewForm->XEdit->setText(width);
            NewForm->YEdit->setText(height);
            NewForm->Button1Click();
        };
        mainform->acNewExecute();
        dialogs->OnNewForm = nullptr;
    }
    // Path of a file name in this test's own temporary folder.
    QString TempPath(const std::string& name) {
        if (dir.empty()) dir = MakeTempDir();
        return QString::fromStdString(dir + "/" + name);
    }

    TScriptedDialogs* dialogs = nullptr;
    std::string dir;
};
