#pragma once
// The dialog library's entry: loading the library registers it as the core's IElementDialogs; the
// program may also register it explicitly (a linker that drops unused libraries would skip the load).
void RegisterFolivoxDialogs();
