#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

// Where a handler sits in an event's chain. Stages run in this order;
// within a stage the newest handler runs first, so a handler added later
// wraps the ones before it.
enum class HandlerStage {
    Claim, // one owner takes the event for itself (a transfer takes the input)
    Waits, // command-line waits see every event first
    Script, // a running script
    Window, // the window's own handlers
    Watchers, // observers: they see every event, consumed or not
};

// Names one handler in a chain; 0 names none.
using HandlerToken = quint64;

// Keeps a handler in its chain for as long as it lives: for a handler that
// captures an object that may go before the chain does.
class HandlerRegistration {
public:
    HandlerRegistration() = default;
    HandlerRegistration(std::weak_ptr<bool> chainAlive, std::function<void()> remove)
        : chainAlive_(std::move(chainAlive))
        , remove_(std::move(remove))
    { }
    HandlerRegistration(HandlerRegistration &&other) noexcept
        : chainAlive_(std::move(other.chainAlive_))
        , remove_(std::exchange(other.remove_, nullptr))
    { }
    HandlerRegistration &operator=(HandlerRegistration &&other) noexcept
    {
        if (this != &other) {
            reset();
            chainAlive_ = std::move(other.chainAlive_);
            remove_ = std::exchange(other.remove_, nullptr);
        }
        return *this;
    }
    HandlerRegistration(const HandlerRegistration &) = delete;
    HandlerRegistration &operator=(const HandlerRegistration &) = delete;
    ~HandlerRegistration() { reset(); }

    // False when the chain refused the handler.
    explicit operator bool() const { return remove_ != nullptr; }

    void reset()
    {
        const auto alive = chainAlive_.lock();
        if (remove_ && alive && *alive)
            remove_();
        remove_ = nullptr;
    }

private:
    std::weak_ptr<bool> chainAlive_;
    std::function<void()> remove_;
};

// An ordered list of handlers for one kind of event. A handler answers true
// when it consumed the event: the handlers after it do not see it, except
// the watchers. add()
// gives a token and remove(token) takes out exactly that handler, whatever
// was added or removed meanwhile, also while the chain is dispatching.
// The Claim stage holds one handler at a time: a second add is refused.
template <typename... Args> class HandlerChain {
public:
    using Handler = std::function<bool(Args...)>;
    using Token = HandlerToken;
    // Told when a handler throws; the event goes on to the next handler.
    using FailureReport = std::function<void(const QString &reason)>;

    HandlerChain() = default;
    HandlerChain(const HandlerChain &) = delete;
    HandlerChain &operator=(const HandlerChain &) = delete;
    ~HandlerChain() { *alive_ = false; }

    void setFailureReport(FailureReport report) { failureReport_ = std::move(report); }

    // 0 when the stage is Claim and it is already held.
    Token add(HandlerStage stage, Handler handler)
    {
        if (stage == HandlerStage::Claim && holds(HandlerStage::Claim))
            return 0;
        auto entry = std::make_shared<Entry>(Entry{stage, ++lastToken_, std::move(handler)});
        // After the last entry of an earlier stage, before the rest of its own.
        auto at = entries_.begin();
        while (at != entries_.end() && (*at)->stage < stage)
            ++at;
        entries_.insert(at, std::move(entry));
        return lastToken_;
    }

    // As add(), removed again when the registration is destroyed.
    [[nodiscard]] HandlerRegistration attach(HandlerStage stage, Handler handler)
    {
        const Token token = add(stage, std::move(handler));
        if (!token)
            return {};
        return HandlerRegistration(alive_, [this, token] { remove(token); });
    }

    bool remove(Token token)
    {
        for (auto at = entries_.begin(); at != entries_.end(); ++at) {
            if ((*at)->token == token) {
                (*at)->removed = true;
                entries_.erase(at);
                return true;
            }
        }
        return false;
    }

    bool holds(HandlerStage stage) const
    {
        for (const auto &entry : entries_)
            if (entry->stage == stage)
                return true;
        return false;
    }

    bool isEmpty() const { return entries_.empty(); }

    // Every stage in order; true when a handler consumed the event.
    bool dispatch(Args... args) const
    {
        return dispatchStages(HandlerStage::Claim, HandlerStage::Watchers, args...);
    }

    // Only the stages from first to last. Once a handler has consumed the
    // event only the watchers still see it.
    bool dispatchStages(HandlerStage first, HandlerStage last, Args... args) const
    {
        // A snapshot, so handlers may add and remove others (or destroy the
        // chain's owner) while the event is on its way.
        const std::vector<std::shared_ptr<Entry>> snapshot = entries_;
        const std::shared_ptr<bool> alive = alive_;
        bool consumed = false;
        for (const auto &entry : snapshot) {
            if (entry->stage < first || entry->stage > last || entry->removed)
                continue;
            if (consumed && entry->stage != HandlerStage::Watchers)
                continue;
            consumed = run(*entry, args...) || consumed;
            if (!*alive)
                return true;
        }
        return consumed;
    }

private:
    struct Entry {
        HandlerStage stage;
        Token token;
        Handler handler;
        bool removed = false;
    };

    bool run(const Entry &entry, Args... args) const
    {
        // The handler is copied: it may remove itself while it runs.
        const Handler handler = entry.handler;
        const FailureReport report = failureReport_;
        try {
            return handler(args...);
        } catch (const std::exception &error) {
            if (report)
                report(QString::fromLocal8Bit(error.what()));
        } catch (...) {
            if (report)
                report(QString());
        }
        return false;
    }

    std::vector<std::shared_ptr<Entry>> entries_;
    Token lastToken_ = 0;
    FailureReport failureReport_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
