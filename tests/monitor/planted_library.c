/* A library placed beside the test program under a name the platform-call
   table asks for: the table must never load it (only the system folder's
   libraries count). */
__declspec(dllexport) int __stdcall PlantedExport(void) { return 1; }
