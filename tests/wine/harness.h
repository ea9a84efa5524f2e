// Shared helpers of the tests that run under Wine.
#pragma once
