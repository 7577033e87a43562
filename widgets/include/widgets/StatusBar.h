#pragma once

#include "paint/StatusBarLayout.h"
#include "widgets/Color.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

namespace miran::widgets {

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TStatusPanelBevel { pbNone, pbLowered, pbRaised };
enum class TStatusPanelStyle { psText, psOwnerDraw };

class TStatusBar;

// One panel of a status bar. It can host a control (not owned), which the bar keeps at
// MarginLeft from the panel's left edge and MarginTop from the bar's top edge.
class TStatusPanel {
public:
    ~TStatusPanel();
    TStatusPanel(const TStatusPanel&) = delete;
    TStatusPanel& operator=(const TStatusPanel&) = delete;

    QString Text() const { return text_; }
    void setText(const QString& text);
    int Width() const { return width_; }
    void setWidth(int width);
    TAlignment Alignment() const { return alignment_; }
    void setAlignment(TAlignment alignment);
    TStatusPanelBevel Bevel() const { return bevel_; }
    void setBevel(TStatusPanelBevel bevel);
    TStatusPanelStyle Style() const { return style_; }
    void setStyle(TStatusPanelStyle style);
    QWidget* Control() const { return control_; }
    // Throws EComponentError "Invalid control selection" for the bar itself.
    void setControl(QWidget* control);
    int MarginLeft() const { return marginLeft_; }
    void setMarginLeft(int margin);
    int MarginTop() const { return marginTop_; }
    void setMarginTop(int margin);

    int Index() const;

private:
    friend class TStatusBar;
    explicit TStatusPanel(TStatusBar* bar) : bar_(bar) {}
    void Watch(QWidget* control);

    TStatusBar* bar_;
    QString text_;
    int width_ = 50;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TStatusPanelBevel bevel_ = TStatusPanelBevel::pbLowered;
    TStatusPanelStyle style_ = TStatusPanelStyle::psText;
    QWidget* control_ = nullptr;
    QMetaObject::Connection watch_;
    int marginLeft_ = 3;
    int marginTop_ = 3;
};

// A panelled status bar that can host a control in a panel and keeps it there whenever
// the bar or its panels change. The last panel always reaches the right edge.
class TStatusBar : public QWidget {
    Q_OBJECT
public:
    explicit TStatusBar(QWidget* parent = nullptr);
    ~TStatusBar() override;

    int PanelCount() const { return static_cast<int>(panels_.size()); }
    TStatusPanel* Panel(int index) const { return panels_.at(index).get(); }
    TStatusPanel* AddPanel();
    void RemovePanel(int index);

    bool SizeGrip() const { return sizeGrip_; }
    void setSizeGrip(bool on);
    // Follow the desktop's font; assigning a font of the bar's own switches it off.
    bool UseSystemFont() const { return useSystemFont_; }
    void setUseSystemFont(bool on);
    TColor Color() const { return color_; }
    void setColor(TColor c);
    // Show the application's hints across the whole bar (see ShowHint).
    bool AutoHint() const { return autoHint_; }
    void setAutoHint(bool on);
    // A hint published to the bar: with AutoHint, a non-empty text replaces the panels
    // and hides the hosted controls until an empty hint or any other change ends it.
    void ShowHint(const QString& hint);
    bool HintShowing() const { return hintShowing_; }

    // Places every hosted control in its panel.
    void RepositionHostedControls();
    // Area of panel index in bar coordinates (the last panel stretches to the right edge).
    QRect PanelRect(int index) const;

    std::function<void(TStatusBar*, TStatusPanel*, QPainter&, const QRect&)> OnDrawPanel;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TStatusPanel;
    std::vector<paint::PanelGeometry> Geometry() const;
    void PanelChanged(TStatusPanel* panel);
    void PanelsLaidOut();
    void EndHint();
    void ApplyColor();
    QFont PanelFont() const;
    QRect GripRect() const;
    void DrawPanel(QPainter& painter, TStatusPanel* panel, const QRect& area);

    std::vector<std::unique_ptr<TStatusPanel>> panels_;
    bool sizeGrip_ = true;
    bool useSystemFont_ = true;
    TColor color_ = clBtnFace;
    bool autoHint_ = false;
    bool hintShowing_ = false;
    QString hintText_;
    QList<QPointer<QWidget>> hiddenControls_;
};

} // namespace miran::widgets
