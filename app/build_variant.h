#pragma once
// What only the application object asks of the build variant (app/build_variant.cpp).

// Throws only in the test build, when its test asks for it: start-up then fails as it would on an
// error nobody expected.
void ThrowIfStartMustFail();
