#pragma once

#include <QList>
#include <QVBoxLayout>

// A column for lines whose texts change often while their sizes rarely do (the live values).
// A label asks its layout to be laid out again on every new text, and with it the whole
// window; this column does so only when a line's size hints (or the column's items, spacing
// or margins) actually changed, as nothing would move otherwise.
class SteadyColumnLayout : public QVBoxLayout {
public:
    using QVBoxLayout::QVBoxLayout;

    void invalidate() override;
    void setGeometry(const QRect& rect) override;

private:
    struct Measure {
        QLayoutItem* item = nullptr;
        QSize hint;
        QSize minimum;
        QSize maximum;
        bool empty = false;
        int expanding = 0;
        bool heightForWidth = false;
        bool operator==(const Measure&) const = default;
    };
    static Measure measure(QLayoutItem* item);
    QList<Measure> measured() const;
    bool asLaidOut() const;

    bool valid_ = false;
    QList<Measure> laidOut_;
    int spacing_ = 0;
    QMargins margins_;
};
