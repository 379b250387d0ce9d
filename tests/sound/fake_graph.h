// fake_graph.h: a filter graph that plays nothing and logs every call made on
// it, for call orders and reference counts the real graph cannot show. While
// registered it is what CoCreateInstance(CLSID_FilterGraph, ...) creates.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

struct FakeEvent {
    long code;
    LONG_PTR param1, param2;
};

// One graph object with its four interfaces; they share one reference count,
// as the interfaces of a real graph do. Log lines read "<interface>.<call>".
class FakeGraph {
public:
    explicit FakeGraph(int number);
    ~FakeGraph();

    int number;
    LONG refs = 0;
    HRESULT renderResult = S_OK;     // what RenderFile returns
    bool offerEvents = true;         // false: QueryInterface refuses IMediaEventEx
    std::deque<FakeEvent> queue;     // handed out by GetEvent, oldest first
    OAHWND notifyWindow = 0;         // the last SetNotifyWindow's arguments
    long notifyMessage = 0;
    LONG_PTR notifyData = 0;

    IGraphBuilder* graph();
    IMediaControl* control();
    IMediaSeeking* seeking();
    IMediaEventEx* events();

    HRESULT Query(REFIID iid, void** out);
    ULONG AddRef();
    ULONG Release(const char* part);
    void Log(const char* part, const std::string& call);

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

// Every call on every fake graph, in order, each line prefixed by the graph's
// number ("2.control.Run").
extern std::vector<std::string> g_fakeLog;

// The graphs created so far, in creation order; they live until ClearFakeGraphs
// so that their counts can be read after the last Release. The settings of
// g_nextFakeGraph are copied into each new graph.
extern std::vector<std::unique_ptr<FakeGraph>> g_fakeGraphs;
struct FakeGraphSettings {
    HRESULT renderResult = S_OK;
    bool offerEvents = true;
};
extern FakeGraphSettings g_nextFakeGraph;
void ClearFakeGraphs();

// Makes the fake the thread's CLSID_FilterGraph (CLSCTX_INPROC_SERVER,
// REGCLS_MULTIPLEUSE) and back.
HRESULT RegisterFakeFilterGraph(DWORD* cookie);
void RevokeFakeFilterGraph(DWORD cookie);
