// Takes docs/web.png, the README's picture of the page: the bundled sample in
// an 800 x 560 window, the View menu open on "Wrap lines".
import path from 'node:path';
import { launch, openPage, root, serve } from './browser.mjs';

const server = await serve();
const browser = await launch();
try {
  const page = await openPage(browser, server.url, { width: 800, height: 560 });
  await page.click('#menu-view');
  await page.hover('#item-wrap');
  await page.screenshot({ path: path.join(root, 'docs/web.png') });
} finally {
  await browser.close();
  server.stop();
}
