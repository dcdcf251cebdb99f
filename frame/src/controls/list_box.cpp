#include <QListWidget>

#include "events.h"
#include "kinds.h"

namespace frame {
namespace {

constexpr EventSpec Events[] = {{"Click", HandlerShape::Plain}, {"DblClick", HandlerShape::Plain}};

using ListBoxObject = WidgetControl<QListWidget>;

std::unique_ptr<ControlObject> Build(const ControlDescription& row, const BuildContext& context) {
    auto* list = new QListWidget(context.window);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    ApplyCommonSettings(list, row);
    auto object = std::make_unique<ListBoxObject>(row, list);
    const ControlDescription& d = object->description();
    QObject::connect(list, &QListWidget::itemDoubleClicked, [&d] { detail::RaiseEvent(d, "DblClick"); });
    QObject::connect(list, &QListWidget::itemClicked, [&d] { detail::RaiseEvent(d, "Click"); });
    return object;
}

QListWidget* List(const std::string& name) { return detail::FindControlAs<ListBoxObject>(name).get(); }

}  // namespace

const ControlKindInfo ListBoxKind = {ControlKind::ListBox, "list box", Events, &Build};

void ListBox::clear() const { List(name())->clear(); }
void ListBox::addItem(std::string_view item) const { List(name())->addItem(ToQString(item)); }

std::int16_t ListBox::listIndex() const {
    QListWidget* list = List(name());
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? std::int16_t{-1} : static_cast<std::int16_t>(list->row(selected.front()));
}

void ListBox::setListIndex(std::int16_t index) const {
    QListWidget* list = List(name());
    if (index < -1 || index >= list->count()) Raise(errors::InvalidPropertyValue);
    if (index == -1) {
        list->clearSelection();
    } else {
        list->setCurrentRow(index);
    }
}

std::int16_t ListBox::listCount() const { return static_cast<std::int16_t>(List(name())->count()); }

std::string ListBox::list(std::int16_t index) const {
    QListWidget* list = List(name());
    if (index < 0 || index >= list->count()) return {};
    return list->item(index)->text().toStdString();
}

}  // namespace frame
