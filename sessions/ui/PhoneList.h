#pragma once

#include <QIcon>
#include <QWidget>

class QAbstractItemView;
class QLineEdit;
class QListView;
class QModelIndex;
class QStackedWidget;
class QStandardItemModel;
class QTreeView;
class PhoneFilter;

// One phonebook entry as the list shows it.
struct PhoneListItem {
    QString name;
    QString phone;
    QString last;
    // Wip, matched by the filter.
    QString host;
    QIcon icon;
    bool ftp = false;
};

// The phonebook window's list: a filter field over the entries, shown as a
// report ("Name", "Phone", "Last Connect") or as large icons, sorted by name
// without regard to case; several may be selected. The item with the focus
// is the current one of both views.
class PhoneList : public QWidget {
    Q_OBJECT
public:
    static const QString ftpHint;

    explicit PhoneList(QWidget *parent = nullptr);

    // Shown sorted by name without regard to case.
    void setItems(QList<PhoneListItem> items);
    // Items shown (the filter applied), in list order.
    int count() const;
    QString caption(int row) const;
    // The focused item's caption; empty when none has the focus.
    QString focusedCaption() const;
    // Captions of the selected items in list order.
    QStringList selectedCaptions() const;
    // Selects and focuses the last item captioned name (without case); false when there is none.
    bool selectCaption(const QString &name);

    bool iconView() const;
    void setIconView(bool icons);
    QLineEdit *filterField() const { return filter_; }

signals:
    // An item was clicked or got the focus (not by selectCaption).
    void itemChosen();
    // Double-click, space or Enter on an item.
    void dialRequested();
    void deleteRequested();
    void menuRequested(const QPoint &globalPos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setUpView(QAbstractItemView *view);
    QAbstractItemView *shownView() const;
    void filterEntered();
    void focusList();

    QLineEdit *filter_ = nullptr;
    QStandardItemModel *model_ = nullptr;
    PhoneFilter *proxy_ = nullptr;
    QStackedWidget *views_ = nullptr;
    QTreeView *details_ = nullptr;
    QListView *icons_ = nullptr;
    // Set while the focus is moved by the window itself.
    bool quiet_ = false;
};
