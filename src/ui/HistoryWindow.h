#pragma once

#include <QDialog>
#include <functional>

#include "files/HistoryStore.h"

class QPushButton;
class QTreeWidget;

// The kept sets, newest first, with date, kind, the unit's text, firmware version and
// programming count; a chosen one is opened into the main window or compared with it.
class HistoryWindow : public QDialog {
    Q_OBJECT

public:
    using Action = std::function<void(const QString& path)>;

    HistoryWindow(Action open, Action compare, QWidget* parent = nullptr);

    // Reads the folder again and shows it.
    void reload(const HistoryStore& store);
    void applyTexts();

    QTreeWidget* table() const { return table_; }
    const QList<HistoryStore::Entry>& entries() const { return entries_; }
    // The path of the selected row, or empty.
    QString selectedPath() const;

private:
    void fillKinds();
    void updateButtons();

    Action open_;
    Action compare_;
    QList<HistoryStore::Entry> entries_;
    QTreeWidget* table_ = nullptr;
    QPushButton* openButton_ = nullptr;
    QPushButton* compareButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};
