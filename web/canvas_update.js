// One change of a canvas as the module hands it over (gw_update): the size,
// a shift of what it holds by whole pixels, then a rectangle of RGBA pixels.
// Shared by the painter worker and the page, which paints itself where the
// browser cannot hand a canvas to a worker.
export function applyUpdate(canvas, context, { width, height, dx, dy, x, y, w, h, pixels }) {
  if (canvas.width !== width || canvas.height !== height) {
    canvas.width = width;
    canvas.height = height;
  }
  if (dx !== 0 || dy !== 0) context.drawImage(canvas, dx, dy);
  if (w > 0 && h > 0) context.putImageData(new ImageData(new Uint8ClampedArray(pixels), w, h), x, y);
}

// The canvas's pixels, for tests: size and RGBA.
export function readPixels(canvas, context) {
  const { width, height } = canvas;
  const rgba = width && height ? context.getImageData(0, 0, width, height).data : new Uint8ClampedArray(0);
  return { width, height, rgba };
}
