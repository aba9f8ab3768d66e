  // The site's page shows itself first. Once the browser reports that first
  // paint (or, where it cannot, after the frame that paints it), the program
  // and its three images are fetched, side by side, and the images put where
  // the program reads them, in img/, before it starts. An image that cannot be
  // fetched is left out, and the program says so as it does for a missing file.
  function loadProgram() {
    const images = ['earth.jpg', 'sun.png', 'moon.jpg'].map(name => fetch('img/' + name)
        .then(response => response.ok ? response.arrayBuffer() : null, () => null)
        .then(data => [name, data]));
    Module.preRun = () => {
      Module.addRunDependency('images');
      Promise.all(images).then(files => {
        Module.FS.mkdir('img');
        for (const [name, data] of files)
          if (data) Module.FS.writeFile('img/' + name, new Uint8Array(data));
        Module.removeRunDependency('images');
      });
    };
    const program = document.createElement('script');
    program.src = 'velmorath.js';
    document.body.append(program);
  }
  if (PerformanceObserver.supportedEntryTypes.includes('paint')) {
    new PerformanceObserver((entries, observer) => {
      if (!entries.getEntriesByName('first-contentful-paint').length) return;
      observer.disconnect();
      loadProgram();
    }).observe({type: 'paint', buffered: true});
  } else {
    requestAnimationFrame(() => setTimeout(loadProgram));
  }
