// The recovery file: written while changes are unsaved, removed by save and close, offered at the
// next start after a run that ended without either.
#include "app/recovery.h"
#include "editor_fixture.h"
#include "image/DIB.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace {
const QString kOffer = "前回保存されなかったデータがあります。\r\n復元しますか？";
constexpr TPaletteEntry kChangedEntry{10, 20, 30, 0};

// The copies in the recovery folder, by file name.
QStringList Copies() {
    return QFileInfo(RecoveryPath()).dir().entryList({"recovery*.png"}, QDir::Files, QDir::Name);
}

void RemoveCopies() {
    const QDir folder = QFileInfo(RecoveryPath()).dir();
    for (const QString& name : Copies())
        QFile::remove(folder.filePath(name));
}

class RecoveryTest : public EditorTest {
protected:
    void SetUp() override {
        RemoveCopies();
        EditorTest::SetUp();
    }
    void TearDown() override {
        EditorTest::TearDown();
        RemoveCopies();
    }
    // A 3 x 2 document with one changed pixel and one changed palette entry, not yet saved.
    void EditedDocument() {
        NewDocument("3", "2");
        DocImage->SetPixel(2, 1, 7);
        DocImage->PaletteBlock[7] = kChangedEntry;
        Saved = false;
    }
    // The process ends without closing the document, then the editor starts again.
    void CrashAndRestart() {
        DestroyWindows();
        ResetEditorState();
        CreateWindows();
    }
};
} // namespace

TEST_F(RecoveryTest, CopyOfUnsavedWorkIsRestoredAfterACrash) {
    EditedDocument();
    mainform->WriteRecovery();
    ASSERT_TRUE(QFile::exists(RecoveryPath()));

    CrashAndRestart();
    EXPECT_EQ(DocImage, nullptr);
    dialogs->Answers = {TPromptAnswer::Yes};
    mainform->OfferRecovery();

    EXPECT_EQ(dialogs->Prompts, std::vector<QString>{kOffer});
    ASSERT_NE(DocImage, nullptr);
    EXPECT_EQ(DocWidth, 3);
    EXPECT_EQ(DocHeight, 2);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            EXPECT_EQ(DocImage->GetPixel(x, y), (x == 2 && y == 1) ? 7u : 0u) << x << "," << y;
    EXPECT_EQ(DocImage->PaletteBlock[7], kChangedEntry);
    EXPECT_FALSE(Saved) << "the restored work was never saved";
    EXPECT_TRUE(mainform->FileName.isEmpty());
    EXPECT_TRUE(QFile::exists(RecoveryPath())) << "kept until the work is saved";
}

// A real crash: a process whose minute timer wrote the copy is killed outright, with no chance to
// clean up, and this process then finds the copy and restores it.
TEST_F(RecoveryTest, CopyWrittenByTheTimerSurvivesAKilledProcess) {
    QTimer* minute = nullptr;
    for (QTimer* timer : mainform->findChildren<QTimer*>())
        if (timer->interval() == 60 * 1000) minute = timer;
    ASSERT_NE(minute, nullptr) << "no timer runs every minute";
    // The child re-runs this test alone instead of forking a process that already runs Qt.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            EditedDocument();
            minute->setInterval(10); // the minute, shortened so the test need not wait for it
            QElapsedTimer waited;
            waited.start();
            while (!QFile::exists(RecoveryPath())) {
                if (waited.elapsed() > 10000) std::exit(1); // the timer never wrote it
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            }
            std::raise(SIGKILL);
        },
        testing::KilledBySignal(SIGKILL), "");
    // The child's copy, under its own process id.
    ASSERT_EQ(Copies().size(), 1);
    EXPECT_NE(Copies()[0], QFileInfo(RecoveryPath()).fileName());

    dialogs->Answers = {TPromptAnswer::Yes};
    mainform->OfferRecovery();
    EXPECT_EQ(dialogs->Prompts, std::vector<QString>{kOffer});
    ASSERT_NE(DocImage, nullptr);
    EXPECT_EQ(DocImage->GetPixel(2, 1), 7u);
    EXPECT_EQ(DocImage->PaletteBlock[7], kChangedEntry);
    EXPECT_FALSE(Saved);
    // Adopted: this editor's copy now, removed when the work is saved or closed.
    EXPECT_EQ(Copies(), QStringList{QFileInfo(RecoveryPath()).fileName()});
}

// Two editors at once: neither offers, overwrites nor removes the copy of the other.
TEST_F(RecoveryTest, AnotherRunningEditorsCopyIsLeftAlone) {
    // The process that started this test runs on, as another editor would.
    const QString other =
        QFileInfo(RecoveryPath()).dir().filePath(QString("recovery-%1.png").arg(::getppid()));
    EditedDocument();
    mainform->WriteRecovery();
    ASSERT_TRUE(QFile::rename(RecoveryPath(), other));
    mainform->OfferRecovery();
    EXPECT_TRUE(dialogs->Prompts.empty()) << "its editor still runs";
    mainform->WriteRecovery();
    dialogs->Answers = {TPromptAnswer::No};
    EXPECT_TRUE(mainform->CloseDocument());
    EXPECT_FALSE(QFile::exists(RecoveryPath()));
    EXPECT_TRUE(QFile::exists(other)) << "closing removes only this editor's copy";
}

TEST_F(RecoveryTest, NothingIsWrittenWithoutUnsavedChanges) {
    mainform->WriteRecovery();
    EXPECT_FALSE(QFile::exists(RecoveryPath())) << "no document";
    NewDocument("3", "2");
    mainform->WriteRecovery();
    EXPECT_FALSE(QFile::exists(RecoveryPath())) << "a document without changes";
}

TEST_F(RecoveryTest, SaveAndCloseRemoveTheCopy) {
    struct Case {
        const char* name;
        std::function<void()> finish;
    };
    const Case cases[] = {
        {"save",
         [this] {
             dialogs->SaveNames = {TempPath("saved.png")};
             EXPECT_TRUE(mainform->SaveDocument());
         }},
        {"close without saving",
         [this] {
             dialogs->Answers = {TPromptAnswer::No};
             EXPECT_TRUE(mainform->CloseDocument());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditedDocument();
        mainform->WriteRecovery();
        ASSERT_TRUE(QFile::exists(RecoveryPath()));
        c.finish();
        EXPECT_FALSE(QFile::exists(RecoveryPath()));
        mainform->CloseDocument();
    }
}

TEST_F(RecoveryTest, DecliningTheOfferOpensNothing) {
    struct Case {
        TPromptAnswer answer;
        bool keptForNextStart;
    };
    const Case cases[] = {{TPromptAnswer::No, false}, {TPromptAnswer::Cancel, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keptForNextStart ? "cancel" : "no");
        EditedDocument();
        mainform->WriteRecovery();
        CrashAndRestart();
        dialogs->Answers = {c.answer};
        mainform->OfferRecovery();
        EXPECT_EQ(DocImage, nullptr);
        EXPECT_EQ(QFile::exists(RecoveryPath()), c.keptForNextStart);
        RemoveRecovery();
    }
}

TEST_F(RecoveryTest, NoOfferWithoutACopy) {
    mainform->OfferRecovery();
    EXPECT_TRUE(dialogs->Prompts.empty());
    EXPECT_EQ(DocImage, nullptr);
}

// An editor that crashed but that its parent has not collected yet is gone all the same.
TEST_F(RecoveryTest, CopyOfAnEndedButUncollectedEditorIsOffered) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ASSERT_GT(child, 0);
    // Wait until it has ended; it stays uncollected until waitpid below.
    siginfo_t info{};
    ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT), 0);
    EditedDocument();
    mainform->WriteRecovery();
    const QString copy =
        QFileInfo(RecoveryPath()).dir().filePath(QString("recovery-%1.png").arg(child));
    ASSERT_TRUE(QFile::rename(RecoveryPath(), copy));
    Saved = true;
    mainform->CloseDocument();
    dialogs->Answers = {TPromptAnswer::No};
    mainform->OfferRecovery();
    EXPECT_EQ(dialogs->Prompts, std::vector<QString>{kOffer});
    EXPECT_FALSE(QFile::exists(copy)) << "declined, so removed";
    ::waitpid(child, nullptr, 0);
}
