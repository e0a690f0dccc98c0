// The real main window as the GUI test programs drive it: a fresh window on scripted
// prompts for every test function, menu commands triggered as a menu click would, and
// modal dialogs answered from a timer.
#pragma once

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/main_frame.h"
#include "app/skarvel_view.h"
#include "core/prompts.h"
#include "tests/private_settings.h"

namespace skarvel::testing {

// Runs `f` on the modal dialog of type D as soon as it is open.
template <class D, class F>
void on_dialog(F f) {
    QTimer::singleShot(0, [f] {
        if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget())) return f(d);
        QTimer::singleShot(20, [f] {
            auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
            QVERIFY2(d, "dialog did not open");
            f(d);
        });
    });
}

struct MainWindowFixture {
    std::unique_ptr<ScriptedPrompts> prompts;
    std::unique_ptr<CMainFrame> frame;
    QTemporaryDir tmp;

    Competition& c() { return frame->competition(); }
    CSkarvelView& view() { return frame->view(); }

    // For initTestCase().
    bool set_up_program() { return use_private_settings() && tmp.isValid(); }

    // For init(): empty settings and a new window of the given size; `activate` waits
    // until the window has the focus, which key presses need.
    bool open(int width, int height, bool activate = true) {
        QSettings(QStringLiteral("Skarvel"), QStringLiteral("Skarvel")).clear();
        prompts = std::make_unique<ScriptedPrompts>();
        frame = std::make_unique<CMainFrame>(prompts.get());
        frame->resize(width, height);
        frame->show();
        if (!activate) return true;
        QApplication::setActiveWindow(frame.get());
        if (!QTest::qWaitForWindowActive(frame.get())) return false;
        view().setFocus();
        return true;
    }

    // For cleanup(): closes the window without the save question.
    void close() {
        frame->save_question_answer = [] { return int(QMessageBox::No); };
        frame.reset();
        prompts.reset();
    }

    // As a menu click does: the menu's states are refreshed when it opens.
    void trigger(CommandId id) {
        frame->refresh_commands();
        frame->action(id)->trigger();
    }
    bool enabled(CommandId id) {
        frame->refresh_commands();
        return frame->action(id)->isEnabled();
    }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        // A closed modal dialog may leave no active window offscreen; the window's
        // accelerators need it active.
        if (QApplication::activeWindow() != frame.get()) QApplication::setActiveWindow(frame.get());
        QTest::keyClick(&view(), static_cast<Qt::Key>(k), m);
    }
};

}  // namespace skarvel::testing
