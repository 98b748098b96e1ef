#pragma once

// Answers the modal dialogs a test opens: the answer runs from the event loop
// of the dialog's exec() once the dialog is the active modal widget.

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace velbrin::test {

// Runs answer on the next modal widget other than `besides`; gives up (and
// fails) after about four seconds.
inline void WhenModal(std::function<void(QWidget*)> answer, QWidget* besides = nullptr, int tries = 400)
{
    QTimer::singleShot(10, [answer = std::move(answer), besides, tries]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != besides) {
            answer(modal);
        } else if (tries > 0) {
            WhenModal(std::move(answer), besides, tries - 1);
        } else {
            ADD_FAILURE() << "no modal dialog opened";
        }
    });
}

// The button of the dialog that carries exactly this text.
inline QPushButton* Button(QWidget* dialog, const QString& text)
{
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text() == text)
            return button;
    }
    ADD_FAILURE() << "no button " << text.toStdString();
    return nullptr;
}

inline void Click(QWidget* dialog, const QString& text)
{
    if (QPushButton* button = Button(dialog, text))
        button->click();
}

// Replaces the field's text the way typing does (textEdited is emitted).
inline void Type(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QKeyEvent erase(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(edit, &erase);
    for (QChar c : text) {
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &key);
    }
}

// Lets events through until done() holds or about five seconds passed.
inline bool WaitFor(const std::function<bool()>& done)
{
    for (int i = 0; i < 500 && !done(); ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
    return done();
}

} // namespace velbrin::test
