// The plug-in in a host that our compiler did not build. 32-bit Windows,
// and the Delphi and MSVC hosts on it, promise a callee only 4-byte stack
// alignment; a Delphi host runs with the x87 control word 0x1332 and MXCSR
// 0x1900, in which invalid operation, division by zero and overflow raise
// exceptions. The plug-in's whole life runs under each: load, the factory,
// every interface method and message, timer ticks, the options window,
// release and unload.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tests/win/window_support.h"

namespace {

// How the host enters the plug-in. The plain host calls as our compiler
// would; others override how.
class TEntry {
public:
    virtual ~TEntry() = default;
    virtual void Create(TCreateVostekPlugin create, IHostedPlugin** plugin, IHOXPluginService* service) {
        create(plugin, service);
    }
    // Slots of IHostedPlugin: 0 QueryInterface, 1 AddRef, 2 Release,
    // 3 GetInfoRecord, 4 ReceiveHostMessage.
    virtual uintptr_t Method(IHostedPlugin* plugin, int slot, const std::vector<uintptr_t>& arguments) {
        switch (slot) {
            case 0:
                return static_cast<uintptr_t>(plugin->QueryInterface(*reinterpret_cast<const IID*>(arguments[0]),
                                                                     reinterpret_cast<void**>(arguments[1])));
            case 1:
                return plugin->AddRef();
            case 2:
                return plugin->Release();
            case 3:
                return reinterpret_cast<uintptr_t>(plugin->GetInfoRecord());
            default:
                plugin->ReceiveHostMessage(reinterpret_cast<THostMessageRec*>(arguments[0]));
                return 0;
        }
    }
    virtual void Dispatch(const MSG& msg) { ::DispatchMessageW(&msg); }
};

// What one life saw; `after` runs after each step with its name.
struct TLife {
    int TimerTicks = 0;
    size_t SentByTimer = 0;
    int OptionsShown = 0;
    bool Saved = false;
    ULONG RefCountAtEnd = 1;
    bool Unloaded = false;
};

TLife LiveOnce(const std::wstring& name, TEntry& entry, const std::function<void(const char* step)>& after) {
    TLife life;
    TPluginFolder folder(name);
    // Letters beyond ASCII and line ends in every 16-byte block: the list
    // loader takes its SSE steps.
    folder.Write(L"list.txt", Utf8(L"\uFEFF\u041F\u0440\u0438\u0432\u0435\u0442, \u043C\u0438\u0440!\r\n"
                                   L"\u0417\u0434\u0440\u0430\u0432\u0441\u0442\u0432\u0443\u0439\r\nplain one\r\n"));
    folder.Write(L"statuses.txt", Utf8(L"5|\u041F\u0438\u0432\u043E|\u0425\u043E\u043B\u043E\u0434\u043D\u043E\u0435/nl\u0434\u0430\r\n"));
    THostService host;
    TickIconFiveEverySecond(host);

    HMODULE module = ::LoadLibraryW(folder.Dll().c_str());
    after("LoadLibrary");
    if (!module) {
        ADD_FAILURE() << "cannot load the plug-in";
        return life;
    }
    auto create = reinterpret_cast<TCreateVostekPlugin>(
        reinterpret_cast<void*>(::GetProcAddress(module, "CreateVostekPLUGIN")));
    IHostedPlugin* plugin = nullptr;
    entry.Create(create, &plugin, &host);
    after("CreateVostekPLUGIN");
    if (!plugin) {
        ADD_FAILURE() << "no interface";
        ::FreeLibrary(module);
        return life;
    }
    const IID anyInterface{};
    IHostedPlugin* queried = nullptr;
    entry.Method(plugin, 0, {reinterpret_cast<uintptr_t>(&anyInterface), reinterpret_cast<uintptr_t>(&queried)});
    EXPECT_EQ(queried, plugin);
    entry.Method(plugin, 2, {});
    entry.Method(plugin, 1, {});
    entry.Method(plugin, 2, {});
    after("QueryInterface, AddRef, Release");
    auto* info = reinterpret_cast<TPluginInfoRec*>(entry.Method(plugin, 3, {}));
    after("GetInfoRecord");
    if (info) {
        info->ModuleHandle = reinterpret_cast<uintptr_t>(module);
    }
    const auto send = [&](int32_t code, intptr_t a = 0, intptr_t b = 0, intptr_t c = 0) {
        THostMessageRec msg{};
        msg.Code = code;
        msg.ParamA = a;
        msg.ParamB = b;
        msg.ParamC = c;
        entry.Method(plugin, 4, {reinterpret_cast<uintptr_t>(&msg)});
    };
    const std::wstring language = L"English";
    const std::wstring title = L"Title";
    const std::wstring text = L"Current";
    send(HM_LOADED);
    send(HM_LANGUAGE, reinterpret_cast<intptr_t>(language.c_str()));
    send(HM_START);
    send(HM_STATUS_INFO, 5, reinterpret_cast<intptr_t>(title.c_str()), reinterpret_cast<intptr_t>(text.c_str()));
    after("HM_LOADED, HM_LANGUAGE, HM_START, HM_STATUS_INFO");

    // Timer ticks, each dispatched by the host's loop.
    const size_t before = host.Sent.size();
    const ULONGLONG end = ::GetTickCount64() + 60000;  // a guard against a hang
    while (life.TimerTicks < 2 && ::GetTickCount64() < end) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            if (msg.message == WM_TIMER) {
                ++life.TimerTicks;
                entry.Dispatch(msg);
            } else {
                ::DispatchMessageW(&msg);
            }
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    life.SentByTimer = host.Sent.size() - before;
    after("timer ticks");

    // The options window, saved by the user on another thread.
    life.OptionsShown = ShowOptionsBy([&] { send(HM_SHOW_OPTIONS); },
                                      [](HWND form) {
                                          Ask(Control(form, u"RadioButton4"), BM_CLICK);  // full mode
                                          Ask(Control(form, u"btnOk"), BM_CLICK);
                                      });
    life.Saved = host.Store.WorkMode != 0;
    after("HM_SHOW_OPTIONS");

    send(HM_STOP);
    send(HM_RESUME);
    send(HM_FINISH);
    after("HM_STOP, HM_RESUME, HM_FINISH");
    entry.Method(plugin, 2, {});
    life.RefCountAtEnd = static_cast<ULONG>(host.RefCount);
    after("Release");
    ::FreeLibrary(module);
    after("FreeLibrary");
    life.Unloaded = ::GetModuleHandleW(folder.Dll().c_str()) == nullptr;
    return life;
}

void ExpectAWholeLife(const TLife& life) {
    EXPECT_GE(life.TimerTicks, 2);
    EXPECT_GE(life.SentByTimer, 2U) << "the timer ticks changed no status";
    EXPECT_EQ(life.OptionsShown, 1);
    EXPECT_TRUE(life.Saved) << "Save did not reach the store";
    EXPECT_EQ(life.RefCountAtEnd, 0U) << "the plug-in kept the host's service";
    EXPECT_TRUE(life.Unloaded);
}

// The settings, not the sticky exception flags that any arithmetic raises
// (MXCSR bits 0-5), nor the x87 control word's reserved bits.
struct TFloatState {
    uint16_t Control = 0;
    uint32_t Mxcsr = 0;
    bool operator==(const TFloatState& other) const {
        return (Control & 0x1F3F) == (other.Control & 0x1F3F) && (Mxcsr & ~0x3Fu) == (other.Mxcsr & ~0x3Fu);
    }
};

TFloatState FloatState() {
    TFloatState state;
    asm volatile("fnstcw %0" : "=m"(state.Control));
    asm volatile("stmxcsr %0" : "=m"(state.Mxcsr));
    return state;
}

void SetFloatState(const TFloatState& state) {
    // Pending x87 exceptions would fire at once when unmasked.
    asm volatile("fnclex\n\tfldcw %0" : : "m"(state.Control));
    asm volatile("ldmxcsr %0" : : "m"(state.Mxcsr));
}

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04x", static_cast<unsigned>(value));
    return text;
}

TEST(ForeignHost, DelphiFloatingPointStateIsKeptAndEnduredForAWholeLife) {
    const TRefusingProxy proxy;
    const TFloatState original = FloatState();
    const TFloatState delphi{0x1332, 0x1900};
    std::vector<std::string> changed;
    TEntry entry;
    SetFloatState(delphi);
    const TLife life = LiveOnce(L"foreign-float", entry, [&](const char* step) {
        const TFloatState now = FloatState();
        if (!(now == delphi)) {
            changed.push_back(std::string(step) + ": control word " + Hex(now.Control) + ", MXCSR " + Hex(now.Mxcsr));
            SetFloatState(delphi);
        }
    });
    SetFloatState(original);
    EXPECT_TRUE(changed.empty()) << "the host's floating-point state changed after " << changed.front()
                                 << " (want control word 0x1332, MXCSR 0x1900)";
    ExpectAWholeLife(life);
}

#if defined(__i386__)

// CallWithStackOffset(offset, function, count, arguments) calls function
// with count pointer-sized arguments, with the stack pointer `offset` bytes
// past a 16-byte boundary at the call, and returns what it returns; the
// function may pop its arguments (__stdcall) or not. StackAtEntry returns the
// stack pointer its caller had at the call.
extern "C" uintptr_t CallWithStackOffset(uintptr_t offset, const void* function, uintptr_t count,
                                         const uintptr_t* arguments);
extern "C" uintptr_t StackAtEntry();
asm(R"(
    .text
    .globl _CallWithStackOffset
_CallWithStackOffset:
    push %ebp
    mov %esp, %ebp
    push %esi
    push %edi
    mov 8(%ebp), %eax
    mov 12(%ebp), %edx
    mov 16(%ebp), %ecx
    mov 20(%ebp), %esi
    lea 0(,%ecx,4), %edi
    sub %edi, %esp
    and $-16, %esp
    sub $16, %esp
    add %eax, %esp
    mov %esp, %edi
    cld
    rep movsl
    call *%edx
    lea -8(%ebp), %esp
    pop %edi
    pop %esi
    pop %ebp
    ret
    .globl _StackAtEntry
_StackAtEntry:
    lea 4(%esp), %eax
    ret
)");

// A host that keeps only 4-byte alignment, entering `Offset` bytes off.
class TMisalignedEntry : public TEntry {
public:
    explicit TMisalignedEntry(uintptr_t offset) : FOffset(offset) {}

    void Create(TCreateVostekPlugin create, IHostedPlugin** plugin, IHOXPluginService* service) override {
        Call(reinterpret_cast<const void*>(create), {reinterpret_cast<uintptr_t>(plugin), reinterpret_cast<uintptr_t>(service)});
    }
    uintptr_t Method(IHostedPlugin* plugin, int slot, const std::vector<uintptr_t>& arguments) override {
        const void* method = (*reinterpret_cast<void* const* const*>(plugin))[slot];
        std::vector<uintptr_t> withThis{reinterpret_cast<uintptr_t>(plugin)};
        withThis.insert(withThis.end(), arguments.begin(), arguments.end());
        return Call(method, withThis);
    }
    void Dispatch(const MSG& msg) override {
        Call(reinterpret_cast<const void*>(&::DispatchMessageW), {reinterpret_cast<uintptr_t>(&msg)});
    }

private:
    uintptr_t Call(const void* function, const std::vector<uintptr_t>& arguments) const {
        return CallWithStackOffset(FOffset, function, arguments.size(), arguments.data());
    }
    uintptr_t FOffset;
};

TEST(ForeignHost, TheThunkCallsWithTheStackOffAlignmentAsAsked) {
    for (uintptr_t offset : {0U, 4U, 8U, 12U}) {
        EXPECT_EQ(CallWithStackOffset(offset, reinterpret_cast<const void*>(&StackAtEntry), 0, nullptr) % 16, offset);
    }
    const wchar_t* same = L"same";
    const uintptr_t arguments[] = {reinterpret_cast<uintptr_t>(same), reinterpret_cast<uintptr_t>(L"same")};
    EXPECT_EQ(CallWithStackOffset(4, reinterpret_cast<const void*>(&::lstrcmpW), 2, arguments), 0U)
        << "a __stdcall function, which pops its arguments";
    EXPECT_EQ(CallWithStackOffset(8, reinterpret_cast<const void*>(&::lstrlenW), 1, arguments), 4U);
}

// Under emulation this can only catch the misaligned accesses that the
// emulator checks (qemu faults on movdqa but lets andps pass), so the real
// guard is the static check of the machine code (check_alignment.py).
TEST(ForeignHost, AWholeLifeWithTheStack4And8And12BytesOffAlignment) {
    const TRefusingProxy proxy;
    for (uintptr_t offset : {4U, 8U, 12U}) {
        SCOPED_TRACE("stack " + std::to_string(offset) + " bytes off");
        TMisalignedEntry entry(offset);
        ExpectAWholeLife(LiveOnce(L"foreign-stack-" + std::to_wstring(offset), entry, [](const char*) {}));
    }
}

#endif

}  // namespace
