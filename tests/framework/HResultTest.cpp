// RETURN_IF_FAILED calls its expression once (a second call of, say, IEnumIDList::Next would skip an item)
// and lets success codes such as S_FALSE through.
#include "framework/HResult.h"

#include <gtest/gtest.h>

namespace {

HRESULT Reply(int& calls, HRESULT hr) {
    ++calls;
    return hr;
}

HRESULT TwoCalls(int& calls, HRESULT first, HRESULT second, const void* needed) {
    RETURN_IF_FAILED(Reply(calls, first));
    RETURN_HR_IF_NULL(E_POINTER, needed);
    RETURN_IF_FAILED(Reply(calls, second));
    return S_OK;
}

TEST(ReturnIfFailed, CallsOnceAndStopsAtTheFirstFailure) {
    int calls = 0;
    EXPECT_EQ(TwoCalls(calls, S_FALSE, S_OK, &calls), S_OK);
    EXPECT_EQ(calls, 2);
    calls = 0;
    EXPECT_EQ(TwoCalls(calls, E_ACCESSDENIED, S_OK, &calls), E_ACCESSDENIED);
    EXPECT_EQ(calls, 1);
    calls = 0;
    EXPECT_EQ(TwoCalls(calls, S_OK, S_OK, nullptr), E_POINTER);
    EXPECT_EQ(calls, 1);
}

}  // namespace
