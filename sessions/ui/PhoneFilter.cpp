#include "sessions/ui/PhoneFilter.h"

PhoneFilter::PhoneFilter(QObject *parent)
    : QSortFilterProxyModel(parent)
{
    setDynamicSortFilter(false);
}

void PhoneFilter::setText(const QString &text)
{
    text_ = text.trimmed();
    invalidateRowsFilter();
}

bool PhoneFilter::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (text_.isEmpty())
        return true;
    const QAbstractItemModel *model = sourceModel();
    const QModelIndex name = model->index(sourceRow, 0, sourceParent);
    const QString texts[] = {name.data().toString(),
        model->index(sourceRow, 1, sourceParent).data().toString(), name.data(hostRole).toString()};
    for (const QString &text : texts)
        if (text.contains(text_, Qt::CaseInsensitive))
            return true;
    return false;
}
