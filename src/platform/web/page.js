// The page's side of lightmatrix: the canvas, the input, the pictures and the
// messages. The build appends it to the generated script (--post-js), so it
// shares the module's scope: the exported functions (_lightmatrix_*), HEAPU8
// and ccall.
var lightmatrixPage = (() => {
  const canvas = document.getElementById('window');
  const context = canvas.getContext('2d', {alpha: false});
  const message = document.getElementById('message');
  const chooser = document.getElementById('picture');
  let running = false;

  // The canvas in device pixels, so that a high-DPI screen shows it sharp.
  function fitCanvas() {
    const box = canvas.getBoundingClientRect();
    canvas.width = Math.round(box.width * devicePixelRatio);
    canvas.height = Math.round(box.height * devicePixelRatio);
  }

  function frame() {
    if (_lightmatrix_frame()) requestAnimationFrame(frame);
  }

  // The browser decodes the picture; the program gets its RGBA pixels, or
  // none when it could not, and draws the mosaic.
  async function showPicture(file) {
    if (!running) return;
    message.textContent = '';
    let bitmap = null;
    try {
      bitmap = await createImageBitmap(
          file, {colorSpaceConversion: 'none', premultiplyAlpha: 'none'});
    } catch (error) {
      // Not a picture: the program reports it.
    }
    const width = bitmap ? bitmap.width : 0;
    const height = bitmap ? bitmap.height : 0;
    const pixels = _lightmatrix_picture_buffer(width, height);
    if (pixels) {
      const scratch = new OffscreenCanvas(width, height).getContext('2d');
      scratch.drawImage(bitmap, 0, 0);
      HEAPU8.set(scratch.getImageData(0, 0, width, height).data, pixels);
    }
    if (bitmap) bitmap.close();
    ccall('lightmatrix_draw_picture', null, ['string'], [file.name]);
  }

  addEventListener('keydown', () => _lightmatrix_key_down());
  canvas.addEventListener('pointerdown', (event) => _lightmatrix_pointer_down(
      Math.floor(event.offsetX * devicePixelRatio), Math.floor(event.offsetY * devicePixelRatio)));
  addEventListener('resize', () => {
    // Once the program has ended the canvas keeps its last picture.
    if (!running) return;
    fitCanvas();
    _lightmatrix_resize(canvas.width, canvas.height, 96 * devicePixelRatio);
  });
  addEventListener('dragover', (event) => event.preventDefault());
  addEventListener('drop', (event) => {
    event.preventDefault();
    if (event.dataTransfer.files.length > 0) showPicture(event.dataTransfer.files[0]);
  });
  chooser.addEventListener('change', () => {
    if (chooser.files.length > 0) showPicture(chooser.files[0]);
    chooser.value = '';
  });
  document.getElementById('fullscreen').addEventListener('click', () => {
    document.documentElement.requestFullscreen().catch(() => {});
  });
  fitCanvas();

  return {
    canvas,
    start() {
      running = true;
      requestAnimationFrame(frame);
    },
    // `rgba` points at a width x height copy of the frame in the module's memory.
    putPixels(rgba, width, height, x, y, w, h) {
      const data = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
      context.putImageData(new ImageData(data, width, height), 0, 0, x, y, w, h);
    },
    showMessage(text) {
      message.textContent = text;
    },
    ended(why) {
      running = false;
      if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
      document.getElementById('controls').hidden = true;
      message.textContent = (why ? why + '\n' : '') +
          'lightmatrix has ended. Reload the page to start it again.';
    },
  };
})();
