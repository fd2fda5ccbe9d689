#pragma once
// The HTTP/1.0 client that fetches chart pages.
