#pragma once
// One offscreen GUI application for the tests of a process that draw.
void EnsureGuiApplication();
