// The worker that owns the view's canvas: the page hands it each change, and
// the canvas's work (shifting it, putting pixels, handing the frame to the
// screen) is done here, off the page's own thread.
import { applyUpdate, readPixels } from './canvas_update.js';

let canvas = null;
let context = null;

self.onmessage = ({ data }) => {
  if (data.canvas) {
    canvas = data.canvas;
    context = canvas.getContext('2d', { alpha: false });
  } else if (data.update) {
    applyUpdate(canvas, context, data.update);
  } else if (data.read) {
    const pixels = readPixels(canvas, context);
    self.postMessage({ read: data.read, ...pixels }, [pixels.rgba.buffer]);
  } else if (data.painted) {
    // Answered once the changes before it have reached a frame.
    requestAnimationFrame(() => self.postMessage({ painted: data.painted }));
  }
};
