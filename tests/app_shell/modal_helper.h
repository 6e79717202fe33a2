#pragma once
// Acts on the modal dialog a routine under test is about to run, once its event loop has started.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

inline void WhenModalOpens(std::function<void(QDialog*)> act) {
  QTimer::singleShot(0, [act] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) {
      ADD_FAILURE() << "no modal dialog";
      return;
    }
    act(dialog);
  });
}
