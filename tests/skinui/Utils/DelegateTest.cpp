#include "Utils/Delegate.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace SkinUI;

namespace {

struct Recorder {
    std::vector<int> calls;
    bool answer = true;
    bool First(void*) { calls.push_back(1); return answer; }
    bool Second(void*) { calls.push_back(2); return true; }
};

struct Sender {
    CEventSource onEvent;
};

// A second base puts the handler's object at a non-zero offset inside the class.
struct Padding {
    virtual ~Padding() = default;
    int filler[3] = {};
};

struct OffsetHandler : Padding {
    int hits = 0;
    virtual bool Count(int* value) { hits += *value; return true; }
};

}  // namespace

TEST(EventSource, KeepsOneEntryPerObjectAndFunction)
{
    Recorder r;
    CEventSource source;
    EXPECT_FALSE(source);
    source += MakeDelegate(&r, &Recorder::First);
    source += MakeDelegate(&r, &Recorder::First);
    source += MakeDelegate(&r, &Recorder::Second);
    EXPECT_TRUE(source.HasDelegates());
    EXPECT_TRUE(source(nullptr));
    EXPECT_EQ((std::vector<int>{1, 2}), r.calls);
}

TEST(EventSource, CallsEveryDelegateAndReportsAFalseAnswer)
{
    Recorder r;
    r.answer = false;
    CEventSource source;
    source += MakeDelegate(&r, &Recorder::First);
    source += MakeDelegate(&r, &Recorder::Second);
    EXPECT_FALSE(source(nullptr));
    EXPECT_EQ((std::vector<int>{1, 2}), r.calls);
    CEventSource empty;
    EXPECT_TRUE(empty(nullptr));
}

TEST(EventSource, CallsVirtualMemberFunctionsOfAnyLayout)
{
    OffsetHandler handler;
    CEventSource source;
    source += MakeDelegate(&handler, &OffsetHandler::Count);
    int value = 5;
    source(&value);
    source(&value);
    EXPECT_EQ(10, handler.hits);
}

namespace {
struct Remover {
    CEventSource* source = nullptr;
    Recorder* victim = nullptr;
    int calls = 0;
    bool RemoveVictim(void*)
    {
        ++calls;
        *source -= MakeDelegate(victim, &Recorder::First);
        return true;
    }
};

struct SenderKiller {
    std::unique_ptr<Sender>* sender = nullptr;
    int calls = 0;
    bool Kill(void*)
    {
        ++calls;
        sender->reset();
        return true;
    }
};
}  // namespace

TEST(EventSource, SurvivesAHandlerThatRemovesDelegates)
{
    Recorder victim;
    CEventSource source;
    Remover remover{&source, &victim};
    source += MakeDelegate(&remover, &Remover::RemoveVictim);
    source += MakeDelegate(&victim, &Recorder::First);
    source += MakeDelegate(&victim, &Recorder::Second);
    source(nullptr);
    EXPECT_EQ(1, remover.calls);
    EXPECT_EQ((std::vector<int>{2}), victim.calls);
}

TEST(EventSource, StopsFiringWhenAHandlerDeletesTheSender)
{
    auto sender = std::make_unique<Sender>();
    SenderKiller killer{&sender};
    Recorder after;
    sender->onEvent += MakeDelegate(&killer, &SenderKiller::Kill);
    sender->onEvent += MakeDelegate(&after, &Recorder::First);
    sender->onEvent(nullptr);
    EXPECT_EQ(1, killer.calls);
    EXPECT_EQ(nullptr, sender);
    EXPECT_TRUE(after.calls.empty());
}
