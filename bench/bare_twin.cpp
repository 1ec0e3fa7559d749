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

#include <map>

namespace bench {

namespace {

// Census lines: depth, kind, text and items, separated by tabs; items by the unit separator.
const QChar kField = u'\t';
const QChar kItem = QChar(0x1F);

QString Line(int depth, const char* kind, const QString& text, const QStringList& items = {})
{
    return QString::number(depth) + kField + QString::fromLatin1(kind) + kField + text + kField +
           items.join(kItem) + u'\n';
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
        census += Line(depth, list->isEditable() ? "edit-list" : "list", {}, ItemsOf(*list));
    } else if (const auto* box = qobject_cast<const QLineEdit*>(&widget)) {
        census += Line(depth, "edit", box->text());
    } else if (const auto* listing = qobject_cast<const QListWidget*>(&widget)) {
        census += Line(depth, "listing", {}, ItemsOf(*listing));
    } else if (const auto* button = qobject_cast<const QPushButton*>(&widget)) {
        census += Line(depth, "button", button->text());
    } else if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        census += Line(depth, "label", label->text());
    } else if (const auto* group = qobject_cast<const QGroupBox*>(&widget)) {
        census += Line(depth, "group", group->title());
        Visit(widget, depth + 1, census);
    } else if (const auto* tabs = qobject_cast<const QTabWidget*>(&widget)) {
        census += Line(depth, "tabs", {});
        for (int page = 0; page < tabs->count(); ++page) {
            census += Line(depth + 1, "page", tabs->tabText(page));
            Visit(*tabs->widget(page), depth + 2, census);
        }
    } else {
        census += Line(depth, "box", {});
        Visit(widget, depth + 1, census);
    }
}

void Visit(const QWidget& parent, int depth, QString& census)
{
    for (const QObject* child : parent.children())
        if (child->isWidgetType() && !static_cast<const QWidget*>(child)->isWindow())
            Describe(*static_cast<const QWidget*>(child), depth, census);
}

// Builds the twin line by line: each container lays what it holds out in a plain grid,
// two label-and-widget pairs a row.
class TwinBuilder {
public:
    explicit TwinBuilder(QDialog& dialog) { m_grids[0] = new QGridLayout(&dialog); }

    void add(int depth, const QString& kind, const QString& text, const QStringList& items)
    {
        if (kind == QLatin1String("page")) {
            auto* page = new QWidget;
            m_tabs[depth]->addTab(page, text);
            m_grids[depth + 1] = new QGridLayout(page);
            return;
        }
        QWidget* widget = make(depth, kind, text, items);
        QGridLayout* grid = m_grids[depth];
        const int at = m_placed[grid]++;
        grid->addWidget(widget, at / 4, at % 4);
    }

private:
    QWidget* make(int depth, const QString& kind, const QString& text, const QStringList& items)
    {
        if (kind == QLatin1String("list") || kind == QLatin1String("edit-list")) {
            auto* list = new QComboBox;
            list->setEditable(kind == QLatin1String("edit-list"));
            list->addItems(items);
            return list;
        }
        if (kind == QLatin1String("edit"))
            return new QLineEdit(text);
        if (kind == QLatin1String("listing")) {
            auto* listing = new QListWidget;
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
        m_grids[depth + 1] = new QGridLayout(container);
        return container;
    }

    std::map<int, QGridLayout*> m_grids; // by the depth of what they hold
    std::map<int, QTabWidget*> m_tabs;   // by the depth of their pages
    std::map<QGridLayout*, int> m_placed;
};

} // namespace

QString Census(const QWidget& window)
{
    const QSize size = window.sizeHint();
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
        if (cells.size() == 4)
            builder.add(cells[0].toInt(), cells[1], cells[2],
                        cells[3].isEmpty() ? QStringList() : cells[3].split(kItem));
    }
    const QStringList size = lines.value(0).split(u' ');
    dialog->resize(size.value(1).toInt(), size.value(2).toInt());
    return dialog;
}

int WidgetCount(const QWidget& window)
{
    return static_cast<int>(window.findChildren<QWidget*>().size()) + 1;
}

} // namespace bench
