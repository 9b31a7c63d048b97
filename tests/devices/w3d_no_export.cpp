// A library named "W3D_DD.DLL" that lacks the driver's fill export: the
// loader must refuse it and leave nothing loaded.
extern "C" __declspec(dllexport) int W3D_DDSomethingElse(void *) { return 0; }
