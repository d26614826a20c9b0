// What a user meets of the windows: the title the window system is given for a caption, a
// script that answers real modal dialogs (the Qt ones, not the scripted seam) as they come up,
// the display scale, and where windows overlap.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QtGui/private/qhighdpiscaling_p.h>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <qpa/qplatformwindow.h>
#include <string>
#include <utility>
#include <vector>

// The title the X11 and other platform plugins hand to the window system for a window caption:
// they all pass the caption through this one Qt routine, which may append the application's
// display name.
inline QString PlatformTitle(const QString& caption) {
    struct Probe : QPlatformWindow {
        using QPlatformWindow::formatWindowTitle;
    };
    return Probe::formatWindowTitle(caption, QString::fromUtf8(" \xe2\x80\x94 "));
}

// Types text into widget as key presses, as the user's keyboard would.
inline void TypeInto(QWidget* widget, const QString& text) {
    ASSERT_NE(widget, nullptr) << "nothing has the keyboard focus";
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(widget, &press);
    }
}

// Steps that run, one each, when the active modal widget is of the kind the step expects. Play
// opens the dialog (a call that blocks in its event loop) and polls until the steps are used up;
// a step may itself open a nested dialog that a later step answers.
class TModalScript {
public:
    template <class W> TModalScript& On(std::function<void(W&)> run) {
        steps_.push_back(Step{[](QWidget* modal) { return dynamic_cast<W*>(modal) != nullptr; },
                              [run](QWidget* modal) { run(*dynamic_cast<W*>(modal)); }});
        return *this;
    }

    void Play(const std::function<void()>& open) {
        Arm();
        open();
        EXPECT_TRUE(steps_.empty()) << steps_.size() << " step(s) never ran";
        steps_.clear();
    }

private:
    struct Step {
        std::function<bool(QWidget*)> accepts;
        std::function<void(QWidget*)> run;
    };
    // Polls for about five seconds before giving up on the dialog a step waits for.
    static constexpr int kPollLimit = 500;

    void Arm() {
        QTimer::singleShot(10, &context_, [this] { Poll(); });
    }

    void Poll() {
        if (steps_.empty()) return;
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || !steps_.front().accepts(modal)) {
            if (++idlePolls_ < kPollLimit) return Arm();
            ADD_FAILURE() << "the dialog a step waits for did not come up";
            steps_.clear();
            // Ends whatever dialog is open instead, so that the test does not hang.
            if (modal) modal->close();
            return;
        }
        idlePolls_ = 0;
        const Step step = steps_.front();
        steps_.pop_front();
        Arm(); // keeps polling inside a dialog this step opens
        step.run(modal);
    }

    std::deque<Step> steps_;
    int idlePolls_ = 0;
    QObject context_;
};

// The display scale that QT_SCALE_FACTOR sets, for the windows created while this lives (create
// them after it and destroy them before it ends), then the one before.
class TDisplayScale {
public:
    explicit TDisplayScale(qreal scale) { QHighDpiScaling::setGlobalFactor(scale); }
    ~TDisplayScale() { QHighDpiScaling::setGlobalFactor(previous_); }
    TDisplayScale(const TDisplayScale&) = delete;
    TDisplayScale& operator=(const TDisplayScale&) = delete;

private:
    qreal previous_ = QGuiApplication::primaryScreen()->devicePixelRatio();
};

// Failure messages show sizes and rectangles as numbers.
inline std::ostream& operator<<(std::ostream& out, const QSize& s) {
    return out << s.width() << "x" << s.height();
}
inline std::ostream& operator<<(std::ostream& out, const QRect& r) {
    return out << r.x() << "," << r.y() << " " << r.size();
}

// Window frames by name.
using TNamedFrames = std::vector<std::pair<std::string, QRect>>;

// The frames that overlap, as "a and b; " for each pair; empty when none do.
inline std::string Overlaps(const TNamedFrames& frames) {
    std::string found;
    for (size_t i = 0; i < frames.size(); ++i)
        for (size_t j = i + 1; j < frames.size(); ++j)
            if (frames[i].second.intersects(frames[j].second))
                found += frames[i].first + " and " + frames[j].first + "; ";
    return found;
}
