// A scriptable test object: properties (get, put, putref), methods with
// optional, named and by-reference arguments, a default member, a collection
// with an enumerator and an events interface; and a sink that records the
// events it receives.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/connection.h"

namespace zk::automation::testing {

inline constexpr CLSID CLSID_TestObject = {
    0x5A3C1E01, 0x7B2D, 0x4E11, {0x9A, 0x41, 0x10, 0x22, 0x33, 0x44, 0x55, 0x01}};
inline constexpr IID DIID_TestEvents = {0x5A3C1E02, 0x7B2D, 0x4E11, {0x9A, 0x41, 0x10, 0x22, 0x33, 0x44, 0x55, 0x02}};
inline constexpr const char* kTestProgId = "Zelkor.TestObject";

// DISPIDs of the test object and of its events.
enum : DISPID {
    kName = 1,
    kCount = 2,
    kChild = 3,
    kAdd = 4,
    kJoin = 5,
    kTwice = 6,
    kFail = 7,
    kItems = 8,
    kRaise = 9,
    kEventChanged = 1,
};

inline constexpr SCODE kFailCode = static_cast<SCODE>(0x80040203);

// Registers the test object's class under kTestProgId.
void RegisterTestObject();
IDispatch* NewTestObject();

// Records Changed(value) events as "<tag>:<value>"; may run an action
// inside the event (disconnect itself, release the source...).
class TestSink final : public DispatchObject {
public:
    TestSink(std::string tag, std::vector<std::string>* log, bool answersEvents, bool answersDispatch = true);
    std::function<void()> onEvent;
    HRESULT result = S_OK;  // what the event handler answers

protected:
    DispatchTable Members() const override;
    void* OtherInterface(REFIID riid) override;

public:
    HRESULT QueryInterface(REFIID riid, void** object) override;
    std::string m_tag;
    std::vector<std::string>* m_log;
    bool m_answersEvents;
    bool m_answersDispatch;
};

}  // namespace zk::automation::testing
