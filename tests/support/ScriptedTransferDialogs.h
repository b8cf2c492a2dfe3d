#pragma once

#include "transfer/TransferDialogs.h"

#include <deque>

// Answers the protocol choice and "Send Files" from a script and keeps what
// they were shown. With its script run out it answers like a user who
// cancels.
class ScriptedTransferDialogs : public TransferDialogs {
public:
    struct Batch {
        bool ok = true;
        QStringList files;
        QString folder;
    };
    QList<int> preselections;
    QStringList batchFolders;

    void answerProtocol(int item) { protocols_.push_back(item); }
    void answerBatch(Batch batch) { batches_.push_back(std::move(batch)); }

    int chooseProtocol(int preselected) override
    {
        preselections << preselected;
        if (protocols_.empty())
            return -1;
        const int item = protocols_.front();
        protocols_.pop_front();
        return item;
    }
    bool chooseBatch(QStringList &batch, const QString &uploadDir, QString &folder) override
    {
        batchFolders << uploadDir;
        if (batches_.empty())
            return false;
        const Batch answer = batches_.front();
        batches_.pop_front();
        folder = answer.folder;
        if (answer.ok)
            batch << answer.files;
        return answer.ok;
    }

private:
    std::deque<int> protocols_;
    std::deque<Batch> batches_;
};
