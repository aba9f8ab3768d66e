// The test page's own start-up. With "#without=img/X" in its address it
// starts without that image, as a page whose image failed to load (the images
// are in place by the time the runtime is ready, just before main). Once the
// program runs, it keeps the scene as it is before the first frame, for
// velmorathTestFrame.
Module.onRuntimeInitialized = () => {
  const without = new URLSearchParams(location.hash.slice(1)).get('without');
  if (without) FS.unlink(without);
};
new MutationObserver((changes, observer) => {
  if (document.querySelector('main').dataset.state !== 'running') return;
  observer.disconnect();
  Module._velmorathTestKeepStart();
}).observe(document.querySelector('main'), {attributes: true});

// When the first frame was drawn, in milliseconds from the page's opening.
(function watchFirstFrame() {
  const drawn = document.querySelector('main').dataset.state === 'running' &&
                JSON.parse(Module.ccall('velmorathTestState', 'string')).earthSpin >= 1;
  if (drawn) Module.firstFrameAt = performance.now();
  else requestAnimationFrame(watchFirstFrame);
})();
