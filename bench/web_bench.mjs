// Web benchmark: in each browser, the time from opening the test page to its
// first drawn frame, in a browser just started and again on a reload, and the cost of a frame (display with the scene, drawn
// back to back and finished once) against the Linux program's on llvmpipe,
// measured by bench/frame_bench in the same run (scripts/bench-web).
//
// Usage: node bench/web_bench.mjs BUILD_DIR LINUX_FRAME_MS
import path from 'node:path';
import {pathToFileURL} from 'node:url';

import {browsers, launch, open} from '../tests/web/browsers.mjs';

const [buildDir, linuxFrame] = [process.argv[2], Number(process.argv[3])];
const testPage = pathToFileURL(path.join(buildDir, 'velmorath_test_page.html')).href;

console.log(`Linux program, llvmpipe: ${linuxFrame.toFixed(3)} ms a frame`);
for (const name of Object.keys(browsers)) {
  const browser = await launch(name);
  const {page} = await open(browser, testPage);
  const firstFrame = () => page.waitForFunction(() => Module.firstFrameAt).then(h => h.jsonValue());
  const cold = await firstFrame();
  await page.reload();
  const warm = await firstFrame();
  await page.evaluate(() => Module._velmorathTestFrameCost(200));  // warm-up
  const costs = [];
  for (let run = 0; run < 5; ++run)
    costs.push(await page.evaluate(() => Module._velmorathTestFrameCost(400)));
  const cost = costs.sort((a, b) => a - b)[2];
  console.log(`${name.padEnd(20)} first frame ${cold.toFixed(0)} ms after opening ` +
              `(${warm.toFixed(0)} ms on a reload); ` +
              `${cost.toFixed(3)} ms a frame (median of 5 x 400), ` +
              `${(cost / linuxFrame).toFixed(2)} x the Linux program's`);
  await browser.close();
}
