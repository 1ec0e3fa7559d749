#include "bench/bare_twin.h"

#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include <algorithm>
#include <map>
#include <vector>

namespace bench {

namespace {

// Census lines: depth, kind, place in its parent and state (x y width height enabled),
// text and items, separated by tabs; items by the unit separator.
const QChar kField = u'\t';
const QChar kItem = QChar(0x1F);

QString Line(int depth, const char* kind, const QWidget& widget, const QString& text = {},
             const QStringList& items = {})
{
    const QRect place = widget.geometry();
    return QString::number(depth) + kField + QString::fromLatin1(kind) + kField +
           QStringLiteral("%1 %2 %3 %4 %5")
               .arg(place.x())
               .arg(place.y())
               .arg(place.width())
               .arg(place.height())
               .arg(widget.isEnabled() ? 1 : 0) +
           kField + text + kField + items.join(kItem) + u'\n';
}

QStringList ItemsOf(const QComboBox& list)
{
    QStringList items;
    for (int i = 0; i < list.count(); ++i)
        items << list.itemText(i);
    return items;
}

QStringList ItemsOf(const QListWidget& list)
{
    QStringList items;
    for (int i = 0; i < list.count(); ++i)
        items << list.item(i)->text();
    return items;
}

void Visit(const QWidget& parent, int depth, QString& census);

// One widget and, for containers, what it holds. Lists, boxes and tab bars are leaves:
// the widgets inside them come with them in the twin too.
void Describe(const QWidget& widget, int depth, QString& census)
{
    if (const auto* list = qobject_cast<const QComboBox*>(&widget)) {
        census += Line(depth, list->isEditable() ? "edit-list" : "list", widget, {}, ItemsOf(*list));
    } else if (const auto* box = qobject_cast<const QLineEdit*>(&widget)) {
        census += Line(depth, box->isReadOnly() ? "read-only-edit" : "edit", widget, box->text());
    } else if (const auto* listing = qobject_cast<const QListWidget*>(&widget)) {
        census += Line(depth, "listing", widget, listing->font().toString(), ItemsOf(*listing));
    } else if (const auto* button = qobject_cast<const QPushButton*>(&widget)) {
        census += Line(depth, "button", widget, button->text());
    } else if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        census += Line(depth, "label", widget, label->text());
    } else if (const auto* group = qobject_cast<const QGroupBox*>(&widget)) {
        census += Line(depth, "group", widget, group->title());
        Visit(widget, depth + 1, census);
    } else if (const auto* tabs = qobject_cast<const QTabWidget*>(&widget)) {
        census += Line(depth, "tabs", widget);
        for (int page = 0; page < tabs->count(); ++page) {
            census += Line(depth + 1, "page", *tabs->widget(page), tabs->tabText(page));
            Visit(*tabs->widget(page), depth + 2, census);
        }
    } else {
        census += Line(depth, "box", widget);
        Visit(widget, depth + 1, census);
    }
}

void Visit(const QWidget& parent, int depth, QString& census)
{
    for (const QObject* child : parent.children())
        if (child->isWidgetType() && !static_cast<const QWidget*>(child)->isWindow())
            Describe(*static_cast<const QWidget*>(child), depth, census);
}

// Builds the twin line by line, then gives each container one plain grid in which its
// widgets keep their order: the n-th distinct left edge is column n, the n-th distinct top
// edge row n, and a widget spans the columns and rows whose edges it covers.
class TwinBuilder {
public:
    explicit TwinBuilder(QDialog& dialog) { m_parents[0] = &dialog; }

    void layOut()
    {
        for (auto& [container, children] : m_children) {
            std::vector<int> lefts;
            std::vector<int> tops;
            for (const auto& [widget, place] : children) {
                lefts.push_back(place.x());
                tops.push_back(place.y());
            }
            auto* grid = new QGridLayout(container);
            for (const auto& [widget, place] : children) {
                const int row = Rank(tops, place.y());
                const int column = Rank(lefts, place.x());
                grid->addWidget(widget, row, column,
                                std::max(1, Rank(tops, place.bottom() + 1) - row),
                                std::max(1, Rank(lefts, place.right() + 1) - column));
            }
        }
    }

    void add(int depth, const QString& kind, const QRect& place, bool enabled,
             const QString& text, const QStringList& items)
    {
        if (kind == QLatin1String("page")) {
            auto* page = new QWidget;
            m_tabs[depth]->addTab(page, text);
            m_parents[depth + 1] = page;
            return;
        }
        QWidget* widget = make(depth, kind, text, items);
        widget->setEnabled(enabled); // greyed widgets are painted, and cached, their own way
        m_children[m_parents[depth]].emplace_back(widget, place);
    }

private:
    // How many distinct values below `value` there are.
    static int Rank(std::vector<int> values, int value)
    {
        std::sort(values.begin(), values.end());
        values.erase(std::unique(values.begin(), values.end()), values.end());
        return static_cast<int>(std::lower_bound(values.begin(), values.end(), value) - values.begin());
    }

    QWidget* make(int depth, const QString& kind, const QString& text, const QStringList& items)
    {
        if (kind == QLatin1String("list") || kind == QLatin1String("edit-list")) {
            auto* list = new QComboBox;
            list->setEditable(kind == QLatin1String("edit-list"));
            list->addItems(items);
            return list;
        }
        if (kind == QLatin1String("edit") || kind == QLatin1String("read-only-edit")) {
            auto* box = new QLineEdit(text);
            box->setReadOnly(kind == QLatin1String("read-only-edit"));
            return box;
        }
        if (kind == QLatin1String("listing")) {
            auto* listing = new QListWidget;
            QFont font;
            font.fromString(text);
            listing->setFont(font);
            listing->addItems(items);
            return listing;
        }
        if (kind == QLatin1String("button"))
            return new QPushButton(text);
        if (kind == QLatin1String("label"))
            return new QLabel(text);
        if (kind == QLatin1String("tabs"))
            return m_tabs[depth + 1] = new QTabWidget;
        QWidget* container = kind == QLatin1String("group") ? new QGroupBox(text) : new QWidget;
        m_parents[depth + 1] = container;
        return container;
    }

    std::map<int, QWidget*> m_parents;  // by the depth of what they hold
    std::map<int, QTabWidget*> m_tabs;  // by the depth of their pages
    std::map<QWidget*, std::vector<std::pair<QWidget*, QRect>>> m_children;
};

} // namespace

QString Census(const QWidget& window)
{
    const QSize size = window.size();
    QString census = QStringLiteral("size %1 %2\n").arg(size.width()).arg(size.height());
    Visit(window, 0, census);
    return census;
}

QDialog* BuildBareTwin(const QString& census, QWidget* parent)
{
    auto* dialog = new QDialog(parent);
    TwinBuilder builder(*dialog);
    const QStringList lines = census.split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines.mid(1)) {
        const QStringList cells = line.split(kField);
        if (cells.size() != 5)
            continue;
        const QStringList place = cells[2].split(u' ');
        builder.add(cells[0].toInt(), cells[1],
                    QRect(place.value(0).toInt(), place.value(1).toInt(), place.value(2).toInt(),
                          place.value(3).toInt()),
                    place.value(4) != QLatin1String("0"), cells[3], cells[4].isEmpty() ? QStringList() : cells[4].split(kItem));
    }
    builder.layOut();
    const QStringList size = lines.value(0).split(u' ');
    dialog->resize(size.value(1).toInt(), size.value(2).toInt());
    return dialog;
}

int WidgetCount(const QWidget& window)
{
    return static_cast<int>(window.findChildren<QWidget*>().size()) + 1;
}

} // namespace bench
