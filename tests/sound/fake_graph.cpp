// fake_graph.cpp: the logging filter graph and its class factory.
#include "fake_graph.h"

#include <cstdarg>
#include <cstdio>

std::vector<std::string> g_fakeLog;
std::vector<std::unique_ptr<FakeGraph>> g_fakeGraphs;
FakeGraphSettings g_nextFakeGraph;

namespace {

const char* InterfaceName(REFIID iid)
{
    if (iid == IID_IUnknown) return "IUnknown";
    if (iid == IID_IGraphBuilder) return "IGraphBuilder";
    if (iid == IID_IMediaControl) return "IMediaControl";
    if (iid == IID_IMediaSeeking) return "IMediaSeeking";
    if (iid == IID_IMediaEventEx) return "IMediaEventEx";
    if (iid == IID_IMediaEvent) return "IMediaEvent";
    return "other";
}

std::string Format(const char* format, ...)
{
    char text[160];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

}  // namespace

// Every method the player does not call fails with E_NOTIMPL.
#define FAKE_UNUSED(name, params) \
    HRESULT STDMETHODCALLTYPE name params override { return E_NOTIMPL; }

#define FAKE_UNKNOWN(part)                                                  \
    FakeGraph* owner;                                                       \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override \
    {                                                                       \
        owner->Log(part, std::string("QueryInterface ") + InterfaceName(iid)); \
        return owner->Query(iid, out);                                      \
    }                                                                       \
    ULONG STDMETHODCALLTYPE AddRef() override { return owner->AddRef(); }   \
    ULONG STDMETHODCALLTYPE Release() override { return owner->Release(part); }

#define FAKE_DISPATCH                                                        \
    FAKE_UNUSED(GetTypeInfoCount, (UINT*))                                   \
    FAKE_UNUSED(GetTypeInfo, (UINT, LCID, ITypeInfo**))                      \
    FAKE_UNUSED(GetIDsOfNames, (REFIID, LPOLESTR*, UINT, LCID, DISPID*))     \
    FAKE_UNUSED(Invoke, (DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*))

struct FakeBuilder : IGraphBuilder {
    FAKE_UNKNOWN("graph")
    FAKE_UNUSED(AddFilter, (IBaseFilter*, LPCWSTR))
    FAKE_UNUSED(RemoveFilter, (IBaseFilter*))
    FAKE_UNUSED(EnumFilters, (IEnumFilters**))
    FAKE_UNUSED(FindFilterByName, (LPCWSTR, IBaseFilter**))
    FAKE_UNUSED(ConnectDirect, (IPin*, IPin*, const AM_MEDIA_TYPE*))
    FAKE_UNUSED(Reconnect, (IPin*))
    FAKE_UNUSED(Disconnect, (IPin*))
    FAKE_UNUSED(SetDefaultSyncSource, ())
    FAKE_UNUSED(Connect, (IPin*, IPin*))
    FAKE_UNUSED(Render, (IPin*))
    HRESULT STDMETHODCALLTYPE RenderFile(LPCWSTR file, LPCWSTR playList) override
    {
        owner->Log("graph", Format("RenderFile %ls %s", file, playList ? "list" : "NULL"));
        return owner->renderResult;
    }
    FAKE_UNUSED(AddSourceFilter, (LPCWSTR, LPCWSTR, IBaseFilter**))
    FAKE_UNUSED(SetLogFile, (DWORD_PTR))
    FAKE_UNUSED(Abort, ())
    FAKE_UNUSED(ShouldOperationContinue, ())
};

struct FakeControl : IMediaControl {
    FAKE_UNKNOWN("control")
    FAKE_DISPATCH
    HRESULT STDMETHODCALLTYPE Run() override
    {
        owner->Log("control", "Run");
        return S_OK;
    }
    FAKE_UNUSED(Pause, ())
    HRESULT STDMETHODCALLTYPE Stop() override
    {
        owner->Log("control", "Stop");
        return S_OK;
    }
    FAKE_UNUSED(GetState, (LONG, OAFilterState*))
    FAKE_UNUSED(RenderFile, (BSTR))
    FAKE_UNUSED(AddSourceFilter, (BSTR, IDispatch**))
    FAKE_UNUSED(get_FilterCollection, (IDispatch**))
    FAKE_UNUSED(get_RegFilterCollection, (IDispatch**))
    FAKE_UNUSED(StopWhenReady, ())
};

struct FakeSeeking : IMediaSeeking {
    FAKE_UNKNOWN("seeking")
    FAKE_UNUSED(GetCapabilities, (DWORD*))
    FAKE_UNUSED(CheckCapabilities, (DWORD*))
    FAKE_UNUSED(IsFormatSupported, (const GUID*))
    FAKE_UNUSED(QueryPreferredFormat, (GUID*))
    FAKE_UNUSED(GetTimeFormat, (GUID*))
    FAKE_UNUSED(IsUsingTimeFormat, (const GUID*))
    FAKE_UNUSED(SetTimeFormat, (const GUID*))
    FAKE_UNUSED(GetDuration, (LONGLONG*))
    FAKE_UNUSED(GetStopPosition, (LONGLONG*))
    FAKE_UNUSED(GetCurrentPosition, (LONGLONG*))
    FAKE_UNUSED(ConvertTimeFormat, (LONGLONG*, const GUID*, LONGLONG, const GUID*))
    HRESULT STDMETHODCALLTYPE SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                                           DWORD stopFlags) override
    {
        std::string cur = current ? Format("%lld", *current) : "NULL";
        std::string end = stop ? Format("%lld", *stop) : "NULL";
        owner->Log("seeking", Format("SetPositions %s %lu %s %lu", cur.c_str(), currentFlags, end.c_str(),
                                     stopFlags));
        return S_OK;
    }
    FAKE_UNUSED(GetPositions, (LONGLONG*, LONGLONG*))
    FAKE_UNUSED(GetAvailable, (LONGLONG*, LONGLONG*))
    FAKE_UNUSED(SetRate, (double))
    FAKE_UNUSED(GetRate, (double*))
    FAKE_UNUSED(GetPreroll, (LONGLONG*))
};

struct FakeEvents : IMediaEventEx {
    FAKE_UNKNOWN("events")
    FAKE_DISPATCH
    FAKE_UNUSED(GetEventHandle, (OAEVENT*))
    HRESULT STDMETHODCALLTYPE GetEvent(long* code, LONG_PTR* param1, LONG_PTR* param2, long timeout) override
    {
        owner->Log("events", Format("GetEvent %ld", timeout));
        if (owner->queue.empty())
            return E_ABORT;  // what the platform returns when nothing is queued
        FakeEvent e = owner->queue.front();
        owner->queue.pop_front();
        *code = e.code;
        *param1 = e.param1;
        *param2 = e.param2;
        return S_OK;
    }
    FAKE_UNUSED(WaitForCompletion, (long, long*))
    FAKE_UNUSED(CancelDefaultHandling, (long))
    FAKE_UNUSED(RestoreDefaultHandling, (long))
    HRESULT STDMETHODCALLTYPE FreeEventParams(long code, LONG_PTR param1, LONG_PTR param2) override
    {
        owner->Log("events", Format("FreeEventParams %ld %lld %lld", code, static_cast<long long>(param1),
                                    static_cast<long long>(param2)));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetNotifyWindow(OAHWND window, long message, LONG_PTR data) override
    {
        owner->notifyWindow = window;
        owner->notifyMessage = message;
        owner->notifyData = data;
        owner->Log("events", window == 0 && message == 0 && data == 0 ? "SetNotifyWindow NULL 0 0"
                                                                      : "SetNotifyWindow window");
        return S_OK;
    }
    FAKE_UNUSED(SetNotifyFlags, (long))
    FAKE_UNUSED(GetNotifyFlags, (long*))
};

struct FakeGraph::Parts {
    FakeBuilder builder;
    FakeControl control;
    FakeSeeking seeking;
    FakeEvents events;
};

FakeGraph::FakeGraph(int n) : number(n), parts_(new Parts)
{
    parts_->builder.owner = this;
    parts_->control.owner = this;
    parts_->seeking.owner = this;
    parts_->events.owner = this;
}

FakeGraph::~FakeGraph() = default;

IGraphBuilder* FakeGraph::graph() { return &parts_->builder; }
IMediaControl* FakeGraph::control() { return &parts_->control; }
IMediaSeeking* FakeGraph::seeking() { return &parts_->seeking; }
IMediaEventEx* FakeGraph::events() { return &parts_->events; }

HRESULT FakeGraph::Query(REFIID iid, void** out)
{
    *out = NULL;
    if (iid == IID_IUnknown || iid == IID_IGraphBuilder || iid == IID_IFilterGraph)
        *out = graph();
    else if (iid == IID_IMediaControl)
        *out = control();
    else if (iid == IID_IMediaSeeking)
        *out = seeking();
    else if ((iid == IID_IMediaEventEx || iid == IID_IMediaEvent) && offerEvents)
        *out = events();
    if (*out == NULL)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG FakeGraph::AddRef()
{
    return ++refs;
}

ULONG FakeGraph::Release(const char* part)
{
    if (refs == 0) {
        Log(part, "Release beyond zero");
        return 0;
    }
    Log(part, "Release");
    return --refs;
}

void FakeGraph::Log(const char* part, const std::string& call)
{
    g_fakeLog.push_back(Format("%d.%s.", number, part) + call);
}

void ClearFakeGraphs()
{
    g_fakeGraphs.clear();
    g_fakeLog.clear();
    g_nextFakeGraph = FakeGraphSettings();
}

namespace {

// A static object: its own references are not counted.
struct FakeGraphFactory : IClassFactory {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = NULL;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        *out = NULL;
        if (outer != NULL)
            return CLASS_E_NOAGGREGATION;
        g_fakeGraphs.emplace_back(new FakeGraph(static_cast<int>(g_fakeGraphs.size()) + 1));
        FakeGraph* graph = g_fakeGraphs.back().get();
        graph->renderResult = g_nextFakeGraph.renderResult;
        graph->offerEvents = g_nextFakeGraph.offerEvents;
        return graph->Query(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

FakeGraphFactory s_factory;

}  // namespace

HRESULT RegisterFakeFilterGraph(DWORD* cookie)
{
    return CoRegisterClassObject(CLSID_FilterGraph, &s_factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, cookie);
}

void RevokeFakeFilterGraph(DWORD cookie)
{
    CoRevokeClassObject(cookie);  // fails only for a cookie never registered
}
