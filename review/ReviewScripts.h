#pragma once

namespace ikw {

// Asks a reader page for its view state (scroll, zoom, page) as JSON text, "null" when it has none.
inline constexpr const char* kCaptureViewScript
    = "(function(){try{return JSON.stringify(window.__ikwCaptureView&&window.__ikwCaptureView())}catch(e){return null}})()";

}
