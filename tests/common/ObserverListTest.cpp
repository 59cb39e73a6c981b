#include "common/ObserverList.h"

#include <gtest/gtest.h>

using namespace ondrel::common;

TEST(ObserverListTest, CallbacksMayUnsubscribeWhileCalledAndSubscriptionsOutliveTheList)
{
    Subscription survivor;
    {
        ObserverList list;
        int selfCalls = 0;
        int laterCalls = 0;
        Subscription self;
        Subscription later;
        self = list.add([&] {
            ++selfCalls;
            self.reset();
            later.reset(); // removed before its turn: not called in this round
        });
        later = list.add([&] { ++laterCalls; });
        survivor = list.add([] {});
        list.notify();
        list.notify();
        EXPECT_EQ(selfCalls, 1);
        EXPECT_EQ(laterCalls, 0);
    }
    survivor.reset(); // the list is gone; this must be harmless
}
