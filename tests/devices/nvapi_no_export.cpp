// A library that lacks NVAPI's query export: the loader must refuse it.
extern "C" __declspec(dllexport) void *nvapi_SomethingElse(unsigned) { return nullptr; }
