#pragma once

#include <QFrame>
#include <QString>

class QLabel;

// A panel with a bevelled edge and an optional caption centred in it.
class Panel : public QFrame {
public:
    enum class Bevel { Raised, Sunken };

    Panel(Bevel bevel, const QColor& colour, QWidget* parent);

    // The caption has a font and colour of its own; the panel's children do not take them.
    void setCaption(const QString& caption, const QFont& font, const QColor& colour);
    const QString& caption() const { return caption_; }
    const QFont& captionFont() const { return captionFont_; }
    const QColor& captionColour() const { return captionColour_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    QFont captionFont_;
    QColor captionColour_;
};

// The status bar: a pane with the program's name, left-aligned, and an empty pane 185 pixels
// wide at the right end.
class StatusBar : public QWidget {
public:
    static constexpr int Height = 19;
    static constexpr int RightPaneWidth = 185;

    explicit StatusBar(QWidget* parent);

    QLabel* pane1() const { return pane1_; }
    QLabel* pane2() const { return pane2_; }

private:
    QLabel* pane1_;
    QLabel* pane2_;
};

// The toolbar's face: one grooved line along its top edge.
class ToolbarFrame : public QWidget {
public:
    explicit ToolbarFrame(QWidget* parent) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent* event) override;
};
