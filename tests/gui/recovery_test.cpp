// The recovery file: written while changes are unsaved, removed by save and close, offered at the
// next start after a run that ended without either.
#include "PngTestUtil.h"
#include "app/imagefile.h"
#include "app/recovery.h"
#include "base/Exceptions.h"
#include "editor/lupe.h"
#include "editor_fixture.h"
#include "image/DIB.h"

#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace {
const QString kOffer = "前回保存されなかったデータがあります。\r\n復元しますか？";
const QString kNewPicture = "（名前のない新しい画像）";
const QString kDeleteCopy = "復元しないデータを削除しますか？";
const QString kOverwriteLossy = "開いたときに読み込めなかった内容は、上書きすると元のファイル"
                                "からも失われます。\r\n上書きしますか？";
constexpr TPaletteEntry kChangedEntry{10, 20, 30, 0};

QDir RecoveryFolder() {
    return QFileInfo(RecoveryPath()).dir();
}

// The copies in the recovery folder, by file name.
QStringList Copies() {
    return RecoveryFolder().entryList({"recovery*.png"}, QDir::Files, QDir::Name);
}

// The copies and whatever is kept beside them.
QStringList RecoveryFiles() {
    return RecoveryFolder().entryList({"recovery*"}, QDir::Files, QDir::Name);
}

void RemoveCopies() {
    for (const QString& name : RecoveryFiles())
        QFile::remove(RecoveryFolder().filePath(name));
}

// HOME, and with it the data folder, set to home until this ends.
class TOwnHome {
public:
    explicit TOwnHome(const QString& home) { qputenv("HOME", QFile::encodeName(home)); }
    ~TOwnHome() { qputenv("HOME", previous_); }
    TOwnHome(const TOwnHome&) = delete;
    TOwnHome& operator=(const TOwnHome&) = delete;

private:
    QByteArray previous_ = qgetenv("HOME");
};

// The offer of the copy at path, written then, of the work of file (a path, or kNewPicture).
QString OfferOf(const QString& file, const QString& copy) {
    return kOffer + "\r\nファイル：" + file + "\r\n記録日時：" +
           QFileInfo(copy).lastModified().toString("yyyy-MM-dd HH:mm");
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
        Doc().DocImage()->SetPixel(2, 1, 7);
        Doc().DocImage()->PaletteBlock[7] = kChangedEntry;
        Doc().SetSaved(false);
    }
    // The process ends without closing the document, then the editor starts again.
    void CrashAndRestart() {
        DestroyWindows();
        Editor().Reset();
        CreateWindows();
    }
};
} // namespace

TEST_F(RecoveryTest, CopyOfUnsavedWorkIsRestoredAfterACrash) {
    EditedDocument();
    mainform->WriteRecovery();
    ASSERT_TRUE(QFile::exists(RecoveryPath()));
    const QString offer = OfferOf(kNewPicture, RecoveryPath());

    CrashAndRestart();
    EXPECT_EQ(Doc().DocImage(), nullptr);
    dialogs->Answers = {TPromptAnswer::Yes};
    mainform->OfferRecovery();

    EXPECT_EQ(dialogs->Prompts, std::vector<QString>{offer});
    ASSERT_NE(Doc().DocImage(), nullptr);
    EXPECT_EQ(Doc().DocWidth(), 3);
    EXPECT_EQ(Doc().DocHeight(), 2);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            EXPECT_EQ(Doc().DocImage()->GetPixel(x, y), (x == 2 && y == 1) ? 7u : 0u)
                << x << "," << y;
    EXPECT_EQ(Doc().DocImage()->PaletteBlock[7], kChangedEntry);
    EXPECT_FALSE(Doc().Saved()) << "the restored work was never saved";
    EXPECT_TRUE(mainform->FileName().isEmpty());
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
    const QString offer = OfferOf(kNewPicture, RecoveryFolder().filePath(Copies()[0]));

    dialogs->Answers = {TPromptAnswer::Yes};
    mainform->OfferRecovery();
    EXPECT_EQ(dialogs->Prompts, std::vector<QString>{offer});
    ASSERT_NE(Doc().DocImage(), nullptr);
    EXPECT_EQ(Doc().DocImage()->GetPixel(2, 1), 7u);
    EXPECT_EQ(Doc().DocImage()->PaletteBlock[7], kChangedEntry);
    EXPECT_FALSE(Doc().Saved());
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
    // Half a stroke is no copy to keep, and the timer must not interrupt it; the next tick after
    // the release writes the copy.
    LupeForm->LupeBox2MouseDown(TMouseButton::Left, 5, 5);
    ASSERT_FALSE(Doc().Saved());
    mainform->WriteRecovery();
    EXPECT_FALSE(QFile::exists(RecoveryPath())) << "a stroke in progress";
    LupeForm->LupeBox2MouseUp();
    mainform->WriteRecovery();
    EXPECT_TRUE(QFile::exists(RecoveryPath()));
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

// No to the offer asks before the copy goes: only a Yes to that removes it.
TEST_F(RecoveryTest, DecliningTheOfferOpensNothingAndAsksBeforeDeleting) {
    struct Case {
        const char* what;
        std::deque<TPromptAnswer> answers;
        bool keptForNextStart;
    };
    const Case cases[] = {
        {"cancel", {TPromptAnswer::Cancel}, true},
        {"no, then yes to deleting", {TPromptAnswer::No, TPromptAnswer::Yes}, false},
        {"no, then no to deleting", {TPromptAnswer::No, TPromptAnswer::No}, true},
        {"no, then cancel", {TPromptAnswer::No, TPromptAnswer::Cancel}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditedDocument();
        mainform->WriteRecovery();
        const QStringList written = RecoveryFiles();
        CrashAndRestart();
        dialogs->Prompts.clear();
        dialogs->Answers = c.answers;
        mainform->OfferRecovery();
        EXPECT_EQ(Doc().DocImage(), nullptr);
        EXPECT_EQ(dialogs->Prompts.size(), c.answers.size());
        if (c.answers.size() > 1) {
            EXPECT_EQ(dialogs->Prompts.back(), kDeleteCopy);
        }
        // The copy and what is kept beside it, whole or not at all.
        EXPECT_EQ(RecoveryFiles(), c.keptForNextStart ? written : QStringList());
        RemoveRecovery();
    }
}

TEST_F(RecoveryTest, NoOfferWithoutACopy) {
    mainform->OfferRecovery();
    EXPECT_TRUE(dialogs->Prompts.empty());
    EXPECT_EQ(Doc().DocImage(), nullptr);
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
    Doc().SetSaved(true);
    mainform->CloseDocument();
    const QString offer = OfferOf(kNewPicture, copy);
    dialogs->Answers = {TPromptAnswer::No, TPromptAnswer::Yes};
    mainform->OfferRecovery();
    EXPECT_EQ(dialogs->Prompts, (std::vector<QString>{offer, kDeleteCopy}));
    EXPECT_FALSE(QFile::exists(copy)) << "declined, so removed";
    ::waitpid(child, nullptr, 0);
}

// A restored document is the work of its file again: Save writes back to that file without the
// save dialog, and the first save over a file whose open left parts out still asks.
TEST_F(RecoveryTest, RestoredWorkSavesBackToItsFile) {
    struct Case {
        const char* what;
        std::vector<uint8_t> file; // the work's file before the edit; none for a new picture
        bool lossy;                // its open left parts out
        bool olderCopy;            // the copy of a version that kept nothing beside it
    };
    const Case cases[] = {
        {"new picture", {}, false, false},
        {"saved file", TTransparentPng{8, false, {}, ColorNone}.Bytes(), false, false},
        {"file opened with losses", TTransparentPng{8, false, {0, 85, 170}, ColorNone}.Bytes(),
         true, false},
        {"copy of an older version", TTransparentPng{8, false, {}, ColorNone}.Bytes(), false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = TempPath("work.png");
        if (c.file.empty()) {
            NewDocument("3", "2");
        } else {
            WriteFileBytes(path.toStdString(), c.file);
            dialogs->OpenNames = {path};
            mainform->asOpen->trigger();
            ASSERT_EQ(dialogs->Warnings.size(), c.lossy ? 1u : 0u);
            dialogs->Warnings.clear();
        }
        ASSERT_NE(Doc().DocImage(), nullptr);
        const uint32_t edited = (Doc().DocImage()->GetPixel(2, 1) + 1) % 256;
        Doc().DocImage()->SetPixel(2, 1, edited);
        Doc().SetSaved(false);
        mainform->WriteRecovery();
        if (c.olderCopy) {
            const QStringList kept = RecoveryFiles();
            ASSERT_EQ(kept.size(), 2) << "the copy and its note";
            for (const QString& name : kept)
                if (!name.endsWith(".png")) QFile::remove(RecoveryFolder().filePath(name));
        }
        const bool named = !c.file.empty() && !c.olderCopy;
        const QString offer =
            OfferOf(named ? QDir::toNativeSeparators(path) : kNewPicture, RecoveryPath());

        CrashAndRestart();
        dialogs->Prompts.clear();
        dialogs->Answers = {TPromptAnswer::Yes};
        mainform->OfferRecovery();
        EXPECT_EQ(dialogs->Prompts, std::vector<QString>{offer});
        ASSERT_NE(Doc().DocImage(), nullptr);
        EXPECT_EQ(mainform->FileName(), named ? path : QString());
        EXPECT_EQ(QString::fromStdString(Doc().LossyFile), c.lossy ? path : QString());
        EXPECT_FALSE(Doc().Saved());

        // Ctrl+S: a question only over the lossy file, a save dialog only without a file.
        const QString target = named ? path : TempPath("named.png");
        dialogs->Prompts.clear();
        if (c.lossy) dialogs->Answers = {TPromptAnswer::Yes};
        if (!named) dialogs->SaveNames = {target};
        mainform->acSave->trigger();
        EXPECT_EQ(dialogs->Prompts,
                  c.lossy ? std::vector<QString>{kOverwriteLossy} : std::vector<QString>{});
        EXPECT_EQ(dialogs->SaveStarts.size(), named ? 0u : 1u);
        EXPECT_TRUE(Doc().Saved());
        EXPECT_EQ(ReadDocumentImage(target.toStdString()).Image->GetPixel(2, 1), edited);
        EXPECT_TRUE(RecoveryFiles().isEmpty()) << "saved, so the copy and its note are gone";
        dialogs->SaveStarts.clear();
        mainform->CloseDocument();
    }
}

// A recovery folder that cannot be written is reported once, not every minute; a write that
// succeeds again ends the silence.
TEST_F(RecoveryTest, AFailingWriteIsReportedOnceUntilAWriteSucceeds) {
    // A home of the test's own for its length: the data folder it blocks is no other run's.
    const TOwnHome home(TempPath("home"));
    const QString folder = RecoveryFolder().absolutePath();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(folder).absolutePath()));
    // A file where the folder (if any, emptied) was: no copy can be written, whoever runs the
    // test.
    const auto block = [&folder] {
        QDir().rmdir(folder);
        WriteFileBytes(folder.toStdString(), {1});
    };
    const auto unblock = [&folder] { ASSERT_TRUE(QFile::remove(folder)); };
    EditedDocument();
    block();
    mainform->WriteRecovery();
    mainform->WriteRecovery();
    ASSERT_EQ(dialogs->Warnings.size(), 1u);
    const QString warning = dialogs->Warnings.front();
    EXPECT_TRUE(warning.contains(QDir::toNativeSeparators(folder))) << warning.toStdString();
    // Why, as the writer says it.
    const std::string why =
        FileErrorMessage(QFile::encodeName(RecoveryPath()).toStdString(), ENOTDIR, true);
    EXPECT_TRUE(warning.contains(QString::fromStdString(why))) << warning.toStdString();
    EXPECT_TRUE(dialogs->Errors.empty());

    unblock();
    mainform->WriteRecovery();
    EXPECT_TRUE(QFile::exists(RecoveryPath()));
    EXPECT_EQ(dialogs->Warnings.size(), 1u);

    RemoveCopies();
    block();
    mainform->WriteRecovery();
    EXPECT_EQ(dialogs->Warnings.size(), 2u) << "a new failure after a success is reported";
}
