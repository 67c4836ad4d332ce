#include "host/RawHoleHost.h"

#include <gtest/gtest.h>

namespace {

// Answers every call with `answer`, and fills what it hands back with `fill`.
struct ScriptedRaw {
    int32_t answer = 0;
    int32_t fill = 0;
    void* handle = nullptr;

    int32_t KepElmGetSegment(int32_t, int32_t) { return answer; }
    int32_t KepHolGetHoleId(const ElementRef&) { return answer; }
    int32_t KepHolGetHoleData(int32_t, HoleRecord& record) {
        record.excluded = fill;
        return answer;
    }
    int32_t KepHolAmendHoleData(int32_t, const HoleRecord&) { return answer; }
    void* KepIddOpenSelIdData(int32_t) { return handle; }
    int32_t KepIddGetHeadSelIdData(void*, SelectionEntry& entry) {
        entry.element = fill;
        return answer;
    }
    int32_t KepIddGetNextSelIdData(void*, SelectionEntry& entry) {
        entry.segment = fill;
        return answer;
    }
    void KepIddCloseSelIdData(void*) {}
    void KepMsgPutErrorMessage(const char16_t*) {}
    void KepDlgMessageBox(const char16_t*) {}
};

// Only -1 is a failure: any other answer, negative ones too, is the host's value, and a
// segment is passed on whatever it is.
TEST(RawHoleHost, OnlyMinusOneIsAFailureAndCarriesTheHostsAnswer) {
    ScriptedRaw raw{-1, 7, nullptr};
    RawHoleHost<ScriptedRaw&> host{raw};
    EXPECT_EQ(host.KepElmGetSegment(1, 2), -1);
    EXPECT_FALSE(host.KepHolGetHoleId({2, 1}));
    EXPECT_EQ(host.KepHolGetHoleId({2, 1}).code(), kNoHole);
    EXPECT_EQ(host.KepHolGetHoleData(3).code(), kHostFailure);
    EXPECT_FALSE(host.KepHolAmendHoleData(3, HoleRecord{}));
    EXPECT_FALSE(host.KepIddGetHeadSelIdData(nullptr));
    EXPECT_FALSE(host.KepIddGetNextSelIdData(nullptr));
    EXPECT_FALSE(host.KepIddOpenSelIdData(1));

    raw.answer = -2;
    int32_t list = 0;
    raw.handle = &list;
    EXPECT_EQ(*host.KepHolGetHoleId({2, 1}), -2);
    EXPECT_EQ(host.KepHolGetHoleData(3)->excluded, 7);
    EXPECT_TRUE(host.KepHolAmendHoleData(3, HoleRecord{}));
    EXPECT_EQ(host.KepIddGetHeadSelIdData(nullptr)->element, 7);
    EXPECT_EQ(host.KepIddGetNextSelIdData(nullptr)->segment, 7);
    EXPECT_EQ(*host.KepIddOpenSelIdData(1), &list);
}

}  // namespace
