// Dialog tests reach controls by their object names, as the dialogs' own
// code does. A control that is not there fails the test with its name, so a
// renamed control is reported as such rather than as a crash further on.
// Header only, over Qt Widgets.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>

// The child of `w` of class T named `name`; null (and a failed expectation
// naming it) when there is none.
template <class T>
T* Find(QWidget* w, const char* name) {
  T* child = w->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

inline void Click(QWidget* w, const char* name) { Find<QPushButton>(w, name)->click(); }
inline bool Enabled(QWidget* w, const char* name) { return Find<QPushButton>(w, name)->isEnabled(); }
inline void SetText(QWidget* w, const char* name, const QString& text) { Find<QLineEdit>(w, name)->setText(text); }

// Answers the next modal dialog from the event loop it runs: `edit` runs on
// it, then its button `button` is clicked. Call it before the code that
// opens the dialog.
inline void AnswerNextModal(const char* button, std::function<void(QWidget*)> edit = {}) {
  QTimer::singleShot(0, [=] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    if (edit) edit(dialog);
    dialog->findChild<QPushButton*>(button)->click();
  });
}
