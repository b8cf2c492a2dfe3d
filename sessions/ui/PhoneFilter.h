#pragma once

#include <QSortFilterProxyModel>

// The phonebook list narrowed to the entries whose name, phone or host holds
// the filter text.
class PhoneFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    // The host name of an item, kept on its name cell.
    static constexpr int hostRole = Qt::UserRole + 1;

    explicit PhoneFilter(QObject *parent = nullptr);
    void setText(const QString &text);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    QString text_;
};
