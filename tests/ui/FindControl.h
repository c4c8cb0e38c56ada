#pragma once

#include <QWidget>
#include <QtGlobal>

// The window's control of that object name; a missing control ends the test run at once,
// since every later step would only fail less clearly.
template <typename T>
T* findControl(const QWidget* window, const char* name) {
    T* found = window->findChild<T*>(name);
    if (found == nullptr) {
        qFatal("no control %s", name);
    }
    return found;
}
