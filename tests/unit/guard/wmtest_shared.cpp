// The shared watermark test helpers, compiled into this test binary too.
#include "../entity/wmtest.cpp"
