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
  let picture = null;  // the decoded picture while the program loads it

  // The canvas in device pixels, so that a high-DPI screen shows it sharp.
  function fitCanvas() {
    const box = canvas.getBoundingClientRect();
    canvas.width = Math.round(box.width * devicePixelRatio);
    canvas.height = Math.round(box.height * devicePixelRatio);
  }

  function frame() {
    if (_lightmatrix_frame()) requestAnimationFrame(frame);
  }

  // The browser decodes the picture and holds it while the program, handed
  // its name, asks for its size and then its RGBA pixels; a file the browser
  // cannot decode has no size, and the program reports it.
  async function showPicture(file) {
    if (!running) return;
    message.textContent = '';
    try {
      picture = await createImageBitmap(
          file, {colorSpaceConversion: 'none', premultiplyAlpha: 'none'});
    } catch (error) {
      picture = null;
    }
    ccall('lightmatrix_picture_chosen', null, ['string'], [file.name]);
    if (picture) picture.close();
    picture = null;
  }

  // A pointer's position in device pixels, and whether it is the main button
  // (a touch and a pen are).
  function pointer(handler) {
    return (event) => handler(Math.floor(event.offsetX * devicePixelRatio),
                              Math.floor(event.offsetY * devicePixelRatio), event.button === 0);
  }

  addEventListener('keydown', () => _lightmatrix_key_down());
  document.addEventListener('visibilitychange', () => {
    if (running) _lightmatrix_page_shown(document.hidden ? 0 : 1);
  });
  canvas.addEventListener('pointerdown', (event) => {
    // Its release comes to the canvas too, wherever it happens.
    canvas.setPointerCapture(event.pointerId);
    pointer(_lightmatrix_pointer_down)(event);
  });
  canvas.addEventListener('pointerup', pointer(_lightmatrix_pointer_up));
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
    pictureSize() {
      return picture ? [picture.width, picture.height] : [0, 0];
    },
    // Writes the picture's straight RGBA pixels at `rgba` in the module's
    // memory. A 2D canvas keeps its pixels premultiplied, which changes the
    // colour of a half-transparent one; a WebGL texture read back does not.
    copyPicture(rgba) {
      const width = picture.width;
      const height = picture.height;
      const gl = new OffscreenCanvas(1, 1).getContext('webgl');
      if (gl && Math.max(width, height) <= gl.getParameter(gl.MAX_TEXTURE_SIZE)) {
        gl.pixelStorei(gl.UNPACK_PREMULTIPLY_ALPHA_WEBGL, false);
        gl.pixelStorei(gl.UNPACK_COLORSPACE_CONVERSION_WEBGL, gl.NONE);
        const texture = gl.createTexture();
        gl.bindTexture(gl.TEXTURE_2D, texture);
        gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, gl.RGBA, gl.UNSIGNED_BYTE, picture);
        gl.bindFramebuffer(gl.FRAMEBUFFER, gl.createFramebuffer());
        gl.framebufferTexture2D(gl.FRAMEBUFFER, gl.COLOR_ATTACHMENT0, gl.TEXTURE_2D, texture, 0);
        const read = gl.checkFramebufferStatus(gl.FRAMEBUFFER) == gl.FRAMEBUFFER_COMPLETE;
        if (read)
          gl.readPixels(0, 0, width, height, gl.RGBA, gl.UNSIGNED_BYTE,
                        HEAPU8.subarray(rgba, rgba + width * height * 4));
        const context = gl.getExtension('WEBGL_lose_context');
        if (context) context.loseContext();
        if (read) return;
      }
      const scratch = new OffscreenCanvas(width, height).getContext('2d');
      scratch.drawImage(picture, 0, 0);
      HEAPU8.set(scratch.getImageData(0, 0, width, height).data, rgba);
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
