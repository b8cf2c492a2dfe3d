#include "sessions/ui/PhoneList.h"

#include "sessions/ui/PhoneFilter.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScopedValueRollback>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int nameWidth = 155;
constexpr int phoneWidth = 155;
constexpr int lastWidth = 175;
constexpr int iconSize = 32;
constexpr int iconCell = 96;

// Hot tracking: the item under the mouse is underlined.
class HotTrackDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->state & QStyle::State_MouseOver)
            option->font.setUnderline(true);
    }
};

} // namespace

const QString PhoneList::ftpHint = QStringLiteral("FTP entry: kept and editable, dialling it starts nothing");

PhoneList::PhoneList(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *filterRow = new QHBoxLayout;
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("filter"));
    filter_->setPlaceholderText(QStringLiteral("Name, phone or host"));
    filter_->setClearButtonEnabled(true);
    filter_->installEventFilter(this);
    auto *label = new QLabel(QStringLiteral("F&ind:"), this);
    label->setBuddy(filter_);
    filterRow->addWidget(label);
    filterRow->addWidget(filter_);
    layout->addLayout(filterRow);

    model_ = new QStandardItemModel(0, 3, this);
    model_->setHorizontalHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Phone"), QStringLiteral("Last Connect")});
    proxy_ = new PhoneFilter(this);
    proxy_->setSourceModel(model_);

    views_ = new QStackedWidget(this);
    details_ = new QTreeView(views_);
    details_->setObjectName(QStringLiteral("details"));
    details_->setModel(proxy_);
    details_->setRootIsDecorated(false);
    details_->setUniformRowHeights(true);
    details_->setAllColumnsShowFocus(true);
    details_->setSelectionBehavior(QAbstractItemView::SelectRows);
    details_->header()->setSectionsMovable(false);
    details_->header()->setStretchLastSection(false);
    details_->setColumnWidth(0, nameWidth);
    details_->setColumnWidth(1, phoneWidth);
    details_->setColumnWidth(2, lastWidth);
    setUpView(details_);

    icons_ = new QListView(views_);
    icons_->setObjectName(QStringLiteral("icons"));
    icons_->setModel(proxy_);
    icons_->setSelectionModel(details_->selectionModel());
    icons_->setViewMode(QListView::IconMode);
    icons_->setMovement(QListView::Static);
    icons_->setResizeMode(QListView::Adjust);
    icons_->setIconSize(QSize(iconSize, iconSize));
    // Room for a name on two lines under its icon; longer ones lose their middle.
    icons_->setGridSize(QSize(iconCell, iconSize + 3 * icons_->fontMetrics().height()));
    icons_->setWordWrap(true);
    icons_->setTextElideMode(Qt::ElideMiddle);
    setUpView(icons_);

    views_->addWidget(details_);
    views_->addWidget(icons_);
    layout->addWidget(views_, 1);
    setFocusProxy(details_);

    connect(filter_, &QLineEdit::textChanged, this, [this](const QString &text) { proxy_->setText(text); });
    connect(details_->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex &current) {
            if (current.isValid() && !quiet_)
                emit itemChosen();
        });
}

void PhoneList::setUpView(QAbstractItemView *view)
{
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setItemDelegate(new HotTrackDelegate(view));
    view->setMouseTracking(true);
    view->setAttribute(Qt::WA_Hover);
    // The hand only over an item.
    connect(view, &QAbstractItemView::entered, view,
        [view](const QModelIndex &) { view->viewport()->setCursor(Qt::PointingHandCursor); });
    connect(view, &QAbstractItemView::viewportEntered, view, [view] { view->viewport()->unsetCursor(); });
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    view->installEventFilter(this);
    connect(view, &QAbstractItemView::doubleClicked, this, &PhoneList::dialRequested);
    connect(view, &QWidget::customContextMenuRequested, this,
        [this, view](const QPoint &pos) { emit menuRequested(view->viewport()->mapToGlobal(pos)); });
}

void PhoneList::setItems(QList<PhoneListItem> items)
{
    std::stable_sort(items.begin(), items.end(), [](const PhoneListItem &a, const PhoneListItem &b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    // Filled while detached: the views see one reset instead of a change per cell.
    const QByteArray columns = details_->header()->saveState();
    proxy_->setSourceModel(nullptr);
    model_->setRowCount(0);
    model_->setRowCount(int(items.size()));
    for (int row = 0; row < int(items.size()); ++row) {
        const PhoneListItem &item = items[row];
        auto *name = new QStandardItem(item.icon, item.name);
        name->setData(item.host, PhoneFilter::hostRole);
        if (item.ftp) {
            name->setToolTip(ftpHint);
            QFont font = name->font();
            font.setItalic(true);
            name->setFont(font);
        }
        model_->setItem(row, 0, name);
        model_->setItem(row, 1, new QStandardItem(item.phone));
        model_->setItem(row, 2, new QStandardItem(item.last));
    }
    proxy_->setSourceModel(model_);
    details_->header()->restoreState(columns);
}

int PhoneList::count() const
{
    return proxy_->rowCount();
}

QString PhoneList::caption(int row) const
{
    return proxy_->index(row, 0).data().toString();
}

QString PhoneList::focusedCaption() const
{
    const QModelIndex current = details_->selectionModel()->currentIndex();
    return current.isValid() ? caption(current.row()) : QString();
}

QStringList PhoneList::selectedCaptions() const
{
    QStringList captions;
    const QItemSelectionModel *selection = details_->selectionModel();
    for (int row = 0; row < count(); ++row)
        if (selection->isRowSelected(row, QModelIndex()))
            captions << caption(row);
    return captions;
}

bool PhoneList::selectCaption(const QString &name)
{
    for (int row = count() - 1; row >= 0; --row) {
        if (caption(row).compare(name, Qt::CaseInsensitive) != 0)
            continue;
        const QModelIndex index = proxy_->index(row, 0);
        const QScopedValueRollback quiet(quiet_, true);
        details_->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        shownView()->scrollTo(index);
        return true;
    }
    return false;
}

bool PhoneList::iconView() const
{
    return views_->currentWidget() == icons_;
}

void PhoneList::setIconView(bool icons)
{
    const bool focused = shownView()->hasFocus();
    views_->setCurrentWidget(icons ? static_cast<QWidget *>(icons_) : details_);
    setFocusProxy(shownView());
    if (focused)
        shownView()->setFocus();
}

QAbstractItemView *PhoneList::shownView() const
{
    return iconView() ? static_cast<QAbstractItemView *>(icons_) : details_;
}

void PhoneList::filterEntered()
{
    if (count() != 1)
        return;
    const QScopedValueRollback quiet(quiet_, true);
    details_->selectionModel()->setCurrentIndex(
        proxy_->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    emit dialRequested();
}

void PhoneList::focusList()
{
    if (count() == 0)
        return;
    if (!details_->selectionModel()->currentIndex().isValid())
        details_->selectionModel()->setCurrentIndex(
            proxy_->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    shownView()->setFocus();
}

bool PhoneList::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (watched == filter_) {
        if (enter) {
            filterEntered();
            return true;
        }
        if (key->key() == Qt::Key_Down) {
            focusList();
            return true;
        }
        return false;
    }
    if (key->modifiers() & ~(Qt::KeypadModifier))
        return false;
    const bool onItem = details_->selectionModel()->currentIndex().isValid();
    if ((enter || key->key() == Qt::Key_Space) && onItem) {
        emit dialRequested();
        return true;
    }
    if (key->key() == Qt::Key_Delete) {
        emit deleteRequested();
        return true;
    }
    return false;
}
