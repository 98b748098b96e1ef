#include "core/DoubleList.h"
#include "core/ListEx.h"

#include <gtest/gtest.h>

using namespace velbrin;

TEST(DoubleList, PairsAndFirstMatch)
{
    TDoubleList hosts;
    hosts.AddPair("Srv.Site.Tld", "10.0.0.1");
    hosts.AddPair("srv.site.tld", "10.0.0.2");
    EXPECT_EQ(hosts.PairCount(), 2);
    EXPECT_EQ(hosts.IndexOfName("SRV.SITE.TLD"), 0);
    EXPECT_EQ(hosts.Values(0), "10.0.0.1");
    EXPECT_EQ(hosts.IndexOfName("other"), -1);
    hosts.Add("odd");
    EXPECT_EQ(hosts.PairCount(), 2);
}

TEST(ListEx, GrowsByTheStep)
{
    TListEx<int> list;
    EXPECT_EQ(list.Add(7), 0);
    EXPECT_EQ(list.Capacity(), 1024u);
    for (int i = 0; i < 1024; ++i)
        list.Add(i);
    EXPECT_EQ(list.Capacity(), 2048u);
    EXPECT_EQ(list.Items(0), 7);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0u);
}
