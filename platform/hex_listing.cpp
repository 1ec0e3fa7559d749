#include "platform/hex_listing.h"

#include "image/e2prom_data.h"
#include "platform/field_form.h"
#include "platform/text.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHelpEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace platform {

namespace {

constexpr int kLineBytes = 16;

// Where the two digits of byte `column` start in a listing line ("00: FF FF ...").
constexpr int digitsAt(int column) { return 4 + 3 * column; }

// Draws each line as the list does, then the highlight and the marks over its bytes.
class ByteDelegate final : public QStyledItemDelegate {
public:
    explicit ByteDelegate(HexListing& listing) : QStyledItemDelegate(&listing), m_listing(listing)
    {
    }

    // The digits of byte `column` of the line `index`, drawn in `base`.
    QRect byteRect(const QStyleOptionViewItem& base, const QModelIndex& index, int column) const
    {
        QStyleOptionViewItem option = base;
        initStyleOption(&option, index);
        const QWidget* widget = option.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &option, widget);
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QFontMetrics metrics(option.font);
        const int left =
            text.left() + margin + metrics.horizontalAdvance(option.text.left(digitsAt(column)));
        return {left, option.rect.top(),
                metrics.horizontalAdvance(option.text.mid(digitsAt(column), 2)),
                option.rect.height()};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        const auto highlight = m_listing.highlighted();
        QColor lit = option.palette.color(QPalette::Highlight);
        lit.setAlpha(90);
        painter->save();
        painter->setPen(QPen(QColor(0xD0, 0x60, 0x00), 2));
        painter->setBrush(Qt::NoBrush);
        for (int column = 0; column < kLineBytes; ++column) {
            const auto offset = static_cast<unsigned>(index.row() * kLineBytes + column);
            const QRect rect = byteRect(option, index, column).adjusted(-2, 1, 2, -1);
            if (highlight && offset >= highlight->first && offset <= highlight->second)
                painter->fillRect(rect, lit);
            if (m_listing.marks().contains(offset))
                painter->drawRect(rect.adjusted(1, 1, -1, -1));
        }
        painter->restore();
    }

private:
    HexListing& m_listing;
};

} // namespace

HexListing::HexListing(const FieldForm& form, QWidget* parent) : QListWidget(parent), m_form(form)
{
    setObjectName(QStringLiteral("listing"));
    setAccessibleName(QStringLiteral("Display EEPROM content"));
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new ByteDelegate(*this));
    // Room for the sixteen lines of 51 characters without scrolling: the text, the item's
    // margins and the frame.
    const QFontMetrics metrics(font());
    const int margins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    setMinimumSize(metrics.horizontalAdvance(QString(51, QLatin1Char('0'))) + margins +
                       2 * frameWidth() + 8,
                   metrics.lineSpacing() * 17 + 12);
    connect(&form, &FieldForm::fieldFocused, this, &HexListing::highlightField);
}

void HexListing::showImage(const CE2promData& image)
{
    clearImage();
    for (const std::string& line : ListingLines(image))
        addItem(QString::fromStdString(line));
}

void HexListing::clearImage()
{
    clear();
    m_marks.clear();
}

void HexListing::setMarks(std::map<unsigned, layout::ByteChange> marks)
{
    m_marks = std::move(marks);
    for (int row = 0; row < count(); ++row) {
        QStringList marked;
        for (int column = 0; column < kLineBytes; ++column)
            if (m_marks.contains(static_cast<unsigned>(row * kLineBytes + column)))
                marked << ToQString(layout::Format("0x%02X", row * kLineBytes + column));
        item(row)->setData(Qt::AccessibleDescriptionRole,
                           marked.isEmpty() ? QString()
                                            : QStringLiteral("The next Create writes %1 "
                                                             "differently")
                                                  .arg(marked.join(QStringLiteral(", "))));
    }
    viewport()->update();
}

std::optional<unsigned> HexListing::byteAt(const QPoint& point) const
{
    QListWidgetItem* line = itemAt(point);
    if (!line)
        return std::nullopt;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualItemRect(line);
    const QModelIndex index = indexFromItem(line);
    const auto* delegate = static_cast<const ByteDelegate*>(itemDelegate());
    const int half = QFontMetrics(font()).horizontalAdvance(QLatin1Char(' ')) / 2 + 1;
    for (int column = 0; column < kLineBytes; ++column)
        if (delegate->byteRect(option, index, column).adjusted(-half, 0, half, 0).contains(point))
            return static_cast<unsigned>(index.row() * kLineBytes + column);
    return std::nullopt;
}

QString HexListing::byteTip(unsigned offset) const
{
    std::string tip = layout::ByteText(m_form.model(), offset);
    if (const auto mark = m_marks.find(offset); mark != m_marks.end())
        tip += "\n" + layout::ChangeText(mark->second);
    return QString::fromLatin1(tip); // values shown are single-byte text
}

bool HexListing::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QListWidget::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    if (const std::optional<unsigned> offset = byteAt(help->pos()))
        QToolTip::showText(help->globalPos(), byteTip(*offset), viewport());
    else
        QToolTip::hideText();
    return true;
}

void HexListing::highlightField(std::size_t field)
{
    const std::span<const layout::Field> fields = m_form.model().fields;
    if (field >= fields.size())
        return;
    m_highlight = {fields[field].place.firstByte(), fields[field].place.lastByte()};
    viewport()->update();
}

} // namespace platform
