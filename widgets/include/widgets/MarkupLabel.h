#pragma once

#include "paint/MarkupLabel.h"
#include "widgets/Color.h"
#include "widgets/ControlColor.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

namespace miran::widgets {

using paint::TTextLayout;

// Opens a link target with the desktop's handler for it.
using LinkOpener = std::function<void(const QString& target)>;
LinkOpener DesktopLinkOpener();

// A static text whose caption is markup: line breaks, styles, colours, sizes, rules,
// indents, alignment and clickable links (paint::MarkupLabel lays it out and paints it).
// Always left-justified.
class TMarkupLabel : public QWidget {
    Q_OBJECT
public:
    explicit TMarkupLabel(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    // While AutoSize is on, a caption that cannot be measured (EConvertError) is refused and
    // the label stays as it was.
    void setCaption(const QString& caption);
    bool AutoSize() const { return autoSize_; }
    // Refused likewise when the caption cannot be measured.
    void setAutoSize(bool on);
    double SuperSubScriptRatio() const { return ratio_; }
    void setSuperSubScriptRatio(double ratio);
    Qt::MouseButtons HyperLinkMouseButtons() const { return linkButtons_; }
    void setHyperLinkMouseButtons(Qt::MouseButtons buttons) { linkButtons_ = buttons; }
    TTextLayout Layout() const { return layout_; }
    void setLayout(TTextLayout layout);
    bool Transparent() const { return transparent_; }
    void setTransparent(bool transparent);
    // Background of an opaque label; follows the parent while ParentColor is set.
    TColor Color() const { return color_.Get(*this); }
    void setColor(TColor c);
    bool ParentColor() const { return color_.ParentColor(); }
    void setParentColor(bool follow);

    // A link under the mouse.
    bool LinkHot() const { return linkHot_; }

    QSize sizeHint() const override;

    // Raised with the target whenever a link is followed.
    std::function<void(TMarkupLabel*, const QString& linkName)> OnHyperLinkClick;
    // How targets with "://" or "mailto:" are opened (the desktop's handler by default).
    void setLinkOpener(LinkOpener opener) { openLink_ = std::move(opener); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // The label's font and colours, its font style kept (for measuring).
    paint::MarkupStyle Style() const;
    paint::TRect TextRect() const;
    std::optional<QString> LinkAt(QPoint point);
    // Throws EConvertError for a caption that cannot be measured.
    QSize MeasuredSize(const QString& caption) const;
    void SetAutoSizeBounds(QSize size);
    void Repaint();
    void FollowLink(const QString& target);

    QString caption_;
    bool autoSize_ = true;
    QSize autoSizeHint_;
    double ratio_ = paint::kDefaultSuperSubScriptRatio;
    Qt::MouseButtons linkButtons_ = Qt::LeftButton;
    TTextLayout layout_ = TTextLayout::tlTop;
    bool transparent_ = true;
    ControlColor color_;
    QPoint mouse_;
    bool linkHot_ = false;
    LinkOpener openLink_ = DesktopLinkOpener();
};

} // namespace miran::widgets
