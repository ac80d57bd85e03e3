#pragma once
// Resources of the text-control test program (plain #defines: read by windres and C++).

#define IDM_TEST_CONTEXT 200
#define ID_TEST_PROBE    40001
